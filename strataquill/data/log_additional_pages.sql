-- The shipped layout of the pages after the first: a compact header and a taller log with the
-- same columns as the first page. "(classic).sqf" keeps the layout before these.
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

-- Company and title.
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Company Name>>", 0.62, 0.58, 4, 0.82, "Arial", 11, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("LOG OF BORING", 4.1, 0.58, 6.55, 0.82, "Arial", 12, True, False, False, "1 - Black", "3 - Right", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Boring Name>>", 6.6, 0.58, 7.88, 0.82, "Arial", 12, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 0.5, 0.9, 8, 0.9);

-- Project line.
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("PROJECT", 0.55, 0.925, 4.2, 1.04, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Project Name>>", 0.55, 1.025, 4.2, 1.195, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("PROJECT NUMBER", 4.3, 0.925, 6.075, 1.04, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Project Number>>", 4.3, 1.025, 6.075, 1.195, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 4.25, 0.9, 4.25, 1.2);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("SHEET", 6.175, 0.925, 7.95, 1.04, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Page <<Page Number>> of <<Page Count>>", 6.175, 1.025, 7.95, 1.195, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 6.125, 0.9, 6.125, 1.2);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 0.5, 1.2, 8, 1.2);

-- Column headings, centred in the heading band; the N-value plot's scale
-- stands between the heading rule and the top of the log.
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Elev.", 0.51, 1.26, 0.99, 1.39, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Depth Units>>", 0.51, 1.39, 0.99, 1.52, "Arial", 6.5, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Depth", 1.01, 1.26, 1.39, 1.39, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Depth Units>>", 1.01, 1.39, 1.39, 1.52, "Arial", 6.5, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Sample", 1.41, 1.26, 1.75, 1.55, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Blows", 1.77, 1.26, 2.21, 1.39, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("per 6 in.", 1.77, 1.39, 2.21, 1.52, "Arial", 6.5, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("N", 2.23, 1.26, 2.51, 1.55, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("SPT N-Value", 2.53, 1.26, 3.23, 1.39, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("(blows/ft)", 2.53, 1.39, 3.23, 1.52, "Arial", 6.5, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<User 1>>", 3.25, 1.26, 3.59, 1.55, "Arial", 6.5, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Graphic", 3.61, 1.26, 4.01, 1.39, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Log", 3.61, 1.39, 4.01, 1.52, "Arial", 6.5, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Class", 4.03, 1.26, 4.55, 1.55, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Material Description", 4.57, 1.26, 6.85, 1.55, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Water", 6.87, 1.26, 7.53, 1.39, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Level", 6.87, 1.39, 7.53, 1.52, "Arial", 6.5, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Well", 7.55, 1.26, 7.99, 1.55, "Arial", 6.5, True, False, False, "1 - Black", "2 - Center", 0);

-- The data columns. They share one depth window (Y to YY), which the log maps the page's depth span onto.
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Elevation", 0.5, 1.75, 1, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Depth", 1, 1.75, 1.4, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Sample Symbol", 1.4, 1.75, 1.76, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Blow Count", 1.76, 1.75, 2.22, 10.25, "Arial", 6, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("N Value", 2.22, 1.75, 2.52, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("N Graph", 2.52, 1.75, 3.24, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("UserText1", 3.24, 1.75, 3.6, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Lithology", 3.6, 1.75, 4.02, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Classification", 4.02, 1.75, 4.56, 10.25, "Arial", 6, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Description", 4.56, 1.75, 6.86, 10.25, "Arial", 7, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Water Level", 6.86, 1.75, 7.54, 10.25, "Arial", 6, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Completion", 7.54, 1.75, 8, 10.25, "Arial", 6.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");

-- Heading rule and column separators from the heading band to the bottom of the log.
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 0.5, 1.59, 8, 1.59);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 1, 1.2, 1, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 1.4, 1.2, 1.4, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 1.76, 1.2, 1.76, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 2.22, 1.2, 2.22, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 2.52, 1.2, 2.52, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 3.24, 1.2, 3.24, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 3.6, 1.2, 3.6, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 4.02, 1.2, 4.02, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 4.56, 1.2, 4.56, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 6.86, 1.2, 6.86, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 7.54, 1.2, 7.54, 10.25);

-- Footer below the frame: project file, print date.
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<File Name>>", 0.5, 10.54, 3.2, 10.72, "Arial", 7, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Printed", 5.3, 10.54, 6.7, 10.72, "Arial", 7, False, False, False, "1 - Black", "3 - Right", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Print Date>>", 6.75, 10.54, 8, 10.72, "Arial", 7, False, False, False, "1 - Black", "1 - Left", 0);

-- Page options: labels at both edges, short ticks, the end-of-boring note.
UPDATE Options SET TruncateUpperUnitText = False, TruncateLowerUnitText = False, MajorTickWidth = 0.08, MinorTickWidth = 0.04, EndOfBoringNote = True;
