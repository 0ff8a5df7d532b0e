-- The classic additional-page log layout, kept for firms whose clients expect the log as it was
-- before elevations, groundwater levels and N-values were printed.
-- US Letter portrait, inches from the top-left corner of the page. Line
-- widths are in twips: 20 for the frame, 10 for rules and column
-- separators, 0 (the thinnest line) inside the header grid. Every boxed
-- text is the longest prefix that fits its box, so boxes leave room for
-- realistic values.


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
  VALUES ("PAGE", 6.175, 0.925, 7.95, 1.04, "Arial", 6.5, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Page Number>>", 6.175, 1.025, 7.95, 1.195, "Arial", 8, True, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 0, "1 - Black", 6.125, 0.9, 6.125, 1.2);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 0.5, 1.2, 8, 1.2);

-- Column headings, centred in the heading band.
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Depth", 0.52, 1.275, 0.98, 1.425, "Arial", 7, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Depth Units>>", 0.52, 1.425, 0.98, 1.585, "Arial", 7, False, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Sample", 1.02, 1.26, 1.43, 1.62, "Arial", 7, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Blow Count", 1.47, 1.26, 2.05, 1.62, "Arial", 7, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<User 1>>", 2.09, 1.26, 2.6, 1.62, "Arial", 7, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Graphic Log", 2.64, 1.26, 3.3, 1.62, "Arial", 7, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Classification", 3.34, 1.26, 4.1, 1.62, "Arial", 7, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Material Description", 4.14, 1.26, 7.43, 1.62, "Arial", 7, True, False, False, "1 - Black", "2 - Center", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Well", 7.47, 1.26, 7.98, 1.62, "Arial", 7, True, False, False, "1 - Black", "2 - Center", 0);

-- The data columns. They share one depth window (Y to YY), which the log maps the page's depth span onto.
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Depth", 0.5, 1.75, 1, 10.25, "Arial", 7, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Sample Symbol", 1, 1.75, 1.45, 10.25, "Arial", 7, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Blow Count", 1.45, 1.75, 2.07, 10.25, "Arial", 7, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("UserText1", 2.07, 1.75, 2.62, 10.25, "Arial", 7, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Lithology", 2.62, 1.75, 3.32, 10.25, "Arial", 7, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Classification", 3.32, 1.75, 4.12, 10.25, "Arial", 7, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Description", 4.12, 1.75, 7.45, 10.25, "Arial", 7.5, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");
INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, PenStyle, PenWidth, PenColor)
  VALUES ("Completion", 7.45, 1.75, 8, 10.25, "Arial", 7, False, False, False, "1 - Black", "0 - Solid", 0, "1 - Black");

-- Heading rule and column separators from the heading band to the bottom of the log.
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 0.5, 1.65, 8, 1.65);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 1, 1.2, 1, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 1.45, 1.2, 1.45, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 2.07, 1.2, 2.07, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 2.62, 1.2, 2.62, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 3.32, 1.2, 3.32, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 4.12, 1.2, 4.12, 10.25);
INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, YY) VALUES ("0 - Solid", 10, "1 - Black", 7.45, 1.2, 7.45, 10.25);

-- Footer below the frame: project file and print date.
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<File Name>>", 0.5, 10.54, 4, 10.72, "Arial", 7, False, False, False, "1 - Black", "1 - Left", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("Printed", 5, 10.54, 6.7, 10.72, "Arial", 7, False, False, False, "1 - Black", "3 - Right", 0);
INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, FontBold, FontItalic, FontUnderline, TextColor, Alignment, Angle)
  VALUES ("<<Print Date>>", 6.75, 10.54, 8, 10.72, "Arial", 7, False, False, False, "1 - Black", "1 - Left", 0);

-- As it always printed: a depth on a page break is labelled once, at the top of the next page.
UPDATE Options SET TruncateLowerUnitText = True;
