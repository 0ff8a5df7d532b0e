#pragma once

#include <QIcon>
#include <QString>

namespace sq::forms {

// The toolbar's images by their image-list keys ("NEWPROJECT",
// "OPENPROJECT", "CLOSEPROJECT", "PRINT", "PRINTPREVIEW", "COPY", "PASTE",
// "INSERTROW", "DELETEROW", "ADDBORING", "COPYBORING", "DELETEBORING",
// "HELP"). They are drawn as shapes at whatever size and pixel ratio the
// screen asks for, so they stay crisp on high-resolution screens.
QIcon toolbarIcon(const QString& key);

// The program's own icon, for its windows (the installed icon theme's when
// there is one; see the program's main()).
QIcon programIcon();

}  // namespace sq::forms
