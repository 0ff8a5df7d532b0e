// Tests of the data entry window follow.
