-- The three catalogues of the classification file: class names as users
-- pick them, and each class's pattern list ("file:percent[:file:percent]").

CREATE TABLE Lithology (Description MEMO, FileName MEMO);
CREATE TABLE Completion (Description MEMO, FileName MEMO);
CREATE TABLE Samples (Description MEMO, FileName MEMO);
