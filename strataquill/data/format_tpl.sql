-- The empty layout that every new layout file is copied from: the five
-- tables and the page options. The tick lengths are not editable in the
-- layout designer, so they are fixed here: 0.15 inch major ticks, 0.075 inch
-- minor ticks. Depth labels print at both edges of a page (the one at the
-- bottom above its tick), so every page reads from its top depth to its
-- bottom depth. The end-of-boring note is off until it is chosen.

CREATE TABLE [Text] (
  [Text] MEMO, X SINGLE, Y SINGLE, XX SINGLE, YY SINGLE, FontName TEXT(50), FontSize SINGLE,
  FontBold BIT, FontItalic BIT, FontUnderline BIT, TextColor TEXT(50), Alignment TEXT(50),
  Angle SINGLE);

CREATE TABLE Lines (
  PenStyle TEXT(50), PenWidth SINGLE, PenColor TEXT(50), X SINGLE, Y SINGLE, XX SINGLE,
  YY SINGLE);

CREATE TABLE Graphics (
  FileName MEMO, X SINGLE, Y SINGLE, XX SINGLE, YY SINGLE);

CREATE TABLE ColumnGraphics (
  Name TEXT(50), X SINGLE, Y SINGLE, XX SINGLE, YY SINGLE, FontName TEXT(50), FontSize SINGLE,
  FontBold BIT, FontItalic BIT, FontUnderline BIT, TextColor TEXT(50), PenStyle TEXT(50),
  PenWidth SINGLE, PenColor TEXT(50));

CREATE TABLE Options (
  TruncateUpperUnitText BIT, TruncateLowerUnitText BIT, MajorTickWidth SINGLE,
  MinorTickWidth SINGLE, EndOfBoringNote BIT);

INSERT INTO Options (TruncateUpperUnitText, TruncateLowerUnitText, MajorTickWidth,
  MinorTickWidth, EndOfBoringNote) VALUES (False, False, 0.15, 0.075, False);
