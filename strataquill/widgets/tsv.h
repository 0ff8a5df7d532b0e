#pragma once

#include <QString>
#include <QStringList>
#include <QList>

namespace sq::widgets {

// Rows of cells as spreadsheets put them on the clipboard: cells separated
// by tabs, rows by line ends. A cell that holds a tab, a line end or starts
// with a double quote is written between double quotes with its quotes
// doubled, as spreadsheets do, so multi-line descriptions travel intact.
QString encodeTsv(const QList<QStringList>& rows);

// Reads what encodeTsv() writes and what spreadsheets put on the clipboard
// ("\r\n" or "\n" line ends; one trailing line end is not a row).
QList<QStringList> decodeTsv(const QString& text);

}  // namespace sq::widgets
