-- The shipped first-page log layout: company and title, the project and boring header, then the
-- log with elevations, depths, samples, blow counts, N-values and their plot, the graphic log,
-- descriptions, groundwater levels and the well. "(classic).sqf" keeps the layout before these.
-- US Letter portrait, inches from the top-left corner of the page. Line
-- widths are in twips: 20 for the frame, 10 for rules and column
-- separators, 0 (the thinnest line) inside the header grid. Every boxed
-- text is the longest prefix that fits its box, so boxes leave room for
-- realistic values. Depth labels print at both edges of a page, with short
-- ticks that leave narrow scales room for their labels.


-- Outer frame.
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 20, "1 - Black", 0.5, 0.5, 8, 0.5);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 20, "1 - Black", 8, 0.5, 8, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 20, "1 - Black", 8, 10.25, 0.5, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 20, "1 - Black", 0.5, 10.25, 0.5, 0.5);

-- Company block.
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Company Name>>", 0.62, 0.58, 4.2, 0.82, "Arial", 12, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Company Address>>", 0.62, 0.83, 4.2, 0.99, "Arial", 8, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Company City>> + <<Company State>> + <<Company Zip>>", 0.62, 0.99, 4.2, 1.15, "Arial", 8, False, False, False, "1 - Black", "1 - Left", 0);

-- Title.
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("LOG OF BORING", 4.3, 0.58, 7.88, 0.84, "Arial", 14, True, False, False, "1 - Black", "3 - Right", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Boring Name>>", 4.3, 0.86, 7.88, 1.14, "Arial", 14, True, False, False, "1 - Black", "3 - Right", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 0.5, 1.25, 8, 1.25);

-- Project and boring header: a grid of labelled fields.
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("PROJECT", 0.55, 1.275, 4.2, 1.39, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Project Name>>", 0.55, 1.375, 4.2, 1.545, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("PROJECT NUMBER", 4.3, 1.275, 6.075, 1.39, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Project Number>>", 4.3, 1.375, 6.075, 1.545, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 4.25, 1.25, 4.25, 1.55);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("CLIENT", 6.175, 1.275, 7.95, 1.39, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Client>>", 6.175, 1.375, 7.95, 1.545, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 6.125, 1.25, 6.125, 1.55);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 0.5, 1.55, 8, 1.55);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("SITE ADDRESS", 0.55, 1.575, 2.325, 1.69, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Site Address 1>>", 0.55, 1.675, 2.325, 1.845, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("CITY, STATE", 2.425, 1.575, 4.2, 1.69, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Site City>> + <<Site State>> + <<Site Zip>>", 2.425, 1.675, 4.2, 1.845, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 2.375, 1.55, 2.375, 1.85);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("LOCATION", 4.3, 1.575, 7.95, 1.69, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<USGS Location>>", 4.3, 1.675, 7.95, 1.845, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 4.25, 1.55, 4.25, 1.85);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 0.5, 1.85, 8, 1.85);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("DRILLING CONTRACTOR", 0.55, 1.875, 2.325, 1.99, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Drilling Contractor>>", 0.55, 1.975, 2.325, 2.145, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("DRILLER", 2.425, 1.875, 4.2, 1.99, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Driller>>", 2.425, 1.975, 4.2, 2.145, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 2.375, 1.85, 2.375, 2.15);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("DRILLING METHOD", 4.3, 1.875, 6.075, 1.99, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Drill Method>>", 4.3, 1.975, 6.075, 2.145, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 4.25, 1.85, 4.25, 2.15);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("DRILL RIG", 6.175, 1.875, 7.95, 1.99, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Drill Rig>>", 6.175, 1.975, 7.95, 2.145, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 6.125, 1.85, 6.125, 2.15);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 0.5, 2.15, 8, 2.15);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("DATE STARTED", 0.55, 2.175, 2.325, 2.29, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Date Start>>", 0.55, 2.275, 2.325, 2.445, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("DATE COMPLETED", 2.425, 2.175, 4.2, 2.29, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Date End>>", 2.425, 2.275, 4.2, 2.445, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 2.375, 2.15, 2.375, 2.45);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("BORING DIAMETER", 4.3, 2.175, 6.075, 2.29, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Boring Diameter>> + <<Boring Diameter Units>>", 4.3, 2.275, 6.075, 2.445, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 4.25, 2.15, 4.25, 2.45);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("GROUND ELEVATION", 6.175, 2.175, 7.95, 2.29, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Ground Elevation>> + <<Depth Units>>", 6.175, 2.275, 7.95, 2.445, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 6.125, 2.15, 6.125, 2.45);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 0.5, 2.45, 8, 2.45);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("WATER WHILE DRILLING", 0.55, 2.475, 2.325, 2.59, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Drilled Water>> + <<Depth Units>>", 0.55, 2.575, 2.325, 2.745, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("STATIC WATER", 2.425, 2.475, 4.2, 2.59, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Static Water>> + <<Depth Units>>", 2.425, 2.575, 4.2, 2.745, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 2.375, 2.45, 2.375, 2.75);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("TOTAL DEPTH", 4.3, 2.475, 6.075, 2.59, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Total Depth>> + <<Depth Units>>", 4.3, 2.575, 6.075, 2.745, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 4.25, 2.45, 4.25, 2.75);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("LOGGED BY", 6.175, 2.475, 7.95, 2.59, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Supervisor>>", 6.175, 2.575, 7.95, 2.745, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 6.125, 2.45, 6.125, 2.75);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 0.5, 2.75, 8, 2.75);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("NORTHING", 0.55, 2.775, 2.325, 2.89, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Northing>> + <<Northing Units>>", 0.55, 2.875, 2.325, 3.045, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("EASTING", 2.425, 2.775, 4.2, 2.89, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Easting>> + <<Easting Units>>", 2.425, 2.875, 4.2, 3.045, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 2.375, 2.75, 2.375, 3.05);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("SITE COUNTY", 4.3, 2.775, 6.075, 2.89, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Site County>>", 4.3, 2.875, 6.075, 3.045, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 4.25, 2.75, 4.25, 3.05);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("SHEET", 6.175, 2.775, 7.95, 2.89, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Page <<Page Number>> of <<Page Count>>", 6.175, 2.875, 7.95, 3.045, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 6.125, 2.75, 6.125, 3.05);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 0.5, 3.05, 8, 3.05);

-- Remarks: the boring's completion notes, two lines.
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("REMARKS", 0.55, 3.075, 7.95, 3.19, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Completion>>", 0.55, 3.175, 7.95, 3.45, "Arial", 8, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 0.5, 3.47, 8, 3.47);

-- Column headings, centred in the heading band; the N-value plot's scale
-- stands between the heading rule and the top of the log.
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Elev.", 0.51, 3.53, 0.99, 3.66, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Depth Units>>", 0.51, 3.66, 0.99, 3.79, "Arial", 6.5, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Depth", 1.01, 3.53, 1.39, 3.66, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Depth Units>>", 1.01, 3.66, 1.39, 3.79, "Arial", 6.5, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Sample", 1.41, 3.53, 1.75, 3.82, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Blows", 1.77, 3.53, 2.21, 3.66, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("per 6 in.", 1.77, 3.66, 2.21, 3.79, "Arial", 6.5, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("N", 2.23, 3.53, 2.51, 3.82, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("SPT N-Value", 2.53, 3.53, 3.23, 3.66, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("(blows/ft)", 2.53, 3.66, 3.23, 3.79, "Arial", 6.5, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<User 1>>", 3.25, 3.53, 3.59, 3.82, "Arial", 6.5, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Graphic", 3.61, 3.53, 4.01, 3.66, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Log", 3.61, 3.66, 4.01, 3.79, "Arial", 6.5, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Class", 4.03, 3.53, 4.55, 3.82, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Material Description", 4.57, 3.53, 6.85, 3.82, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Water", 6.87, 3.53, 7.53, 3.66, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Level", 6.87, 3.66, 7.53, 3.79, "Arial", 6.5, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Well", 7.55, 3.53, 7.99, 3.82, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);

-- The data columns. They share one depth window (Y to YY), which the log maps the page's depth span onto.
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Elevation", 0.5, 4.02, 1, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Depth", 1, 4.02, 1.4, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Sample Symbol", 1.4, 4.02, 1.76, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Blow Count", 1.76, 4.02, 2.22, 10.25, "Arial", 6, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("N Value", 2.22, 4.02, 2.52, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("N Graph", 2.52, 4.02, 3.24, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("UserText1", 3.24, 4.02, 3.6, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Lithology", 3.6, 4.02, 4.02, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Classification", 4.02, 4.02, 4.56, 10.25, "Arial", 6, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Description", 4.56, 4.02, 6.86, 10.25, "Arial", 7, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Water Level", 6.86, 4.02, 7.54, 10.25, "Arial", 6, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Completion", 7.54, 4.02, 8, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");

-- Heading rule and column separators from the heading band to the bottom of the log.
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 0.5, 3.86, 8, 3.86);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 1, 3.47, 1, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 1.4, 3.47, 1.4, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 1.76, 3.47, 1.76, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 2.22, 3.47, 2.22, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 2.52, 3.47, 2.52, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 3.24, 3.47, 3.24, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 3.6, 3.47, 3.6, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 4.02, 3.47, 4.02, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 4.56, 3.47, 4.56, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 6.86, 3.47, 6.86, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 7.54, 3.47, 7.54, 10.25);

-- Footer below the frame: project file, print date.
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<File Name>>", 0.5, 10.54, 3.2, 10.72, "Arial", 7, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Printed", 5.3, 10.54, 6.7, 10.72, "Arial", 7, False, False, False, "1 - Black", "3 - Right", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Print Date>>", 6.75, 10.54, 8, 10.72, "Arial", 7, False, False, False, "1 - Black", "1 - Left", 0);

-- Page options: labels at both edges, short ticks, the end-of-boring note.
UPDATE Options SET TruncateUpperUnitText = False, TruncateLowerUnitText = False, MajorTickWidth = 0.08, MinorTickWidth = 0.04, EndOfBoringNote = True;
