#include "strataquill/widgets/tsv.h"

namespace sq::widgets {
namespace {

QString encodeCell(const QString& cell) {
  if (!cell.contains('\t') && !cell.contains('\n') && !cell.contains('\r') &&
      !cell.startsWith('"'))
    return cell;
  QString quoted = cell;
  quoted.replace("\"", "\"\"");
  return '"' + quoted + '"';
}

}  // namespace

QString encodeTsv(const QList<QStringList>& rows) {
  QString out;
  for (const QStringList& row : rows) {
    for (int c = 0; c < row.size(); ++c) {
      if (c) out += '\t';
      out += encodeCell(row[c]);
    }
    out += '\n';
  }
  return out;
}

QList<QStringList> decodeTsv(const QString& text) {
  QList<QStringList> rows;
  QStringList row;
  QString cell;
  bool quoted = false;     // inside a quoted cell
  bool cellStarted = false;
  const int n = static_cast<int>(text.size());
  auto endCell = [&] {
    row << cell;
    cell.clear();
    cellStarted = false;
  };
  auto endRow = [&] {
    endCell();
    rows << row;
    row.clear();
  };
  for (int i = 0; i < n; ++i) {
    const QChar ch = text[i];
    if (quoted) {
      if (ch == '"') {
        if (i + 1 < n && text[i + 1] == '"') {
          cell += '"';
          ++i;
        } else {
          quoted = false;
        }
      } else {
        cell += ch;
      }
      continue;
    }
    if (ch == '"' && !cellStarted) {
      quoted = true;
      cellStarted = true;
    } else if (ch == '\t') {
      endCell();
    } else if (ch == '\r' && i + 1 < n && text[i + 1] == '\n') {
      // "\r\n" ends the row at the '\n'.
    } else if (ch == '\n' || ch == '\r') {
      endRow();
    } else {
      cell += ch;
      cellStarted = true;
    }
  }
  if (cellStarted || !cell.isEmpty() || !row.isEmpty()) endRow();
  return rows;
}

}  // namespace sq::widgets
