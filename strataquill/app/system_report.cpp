#include "strataquill/app/system_report.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QPrinterInfo>
#include <QScreen>
#include <QSysInfo>
#include <QTextStream>
#include <QThread>

#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/settings_store.h"

namespace sq {
namespace {

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

QString fileState(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return QStringLiteral("missing");
  if (info.isDir()) return QStringLiteral("folder");
  return QStringLiteral("%1 bytes, %2").arg(info.size()).arg(info.lastModified().toString(Qt::ISODate));
}

// The first "key: value" line of a /proc file whose key is `key`.
QString procValue(const char* file, const QString& key) {
  QFile f(QString::fromLatin1(file));
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return QStringLiteral("unknown");
  QTextStream in(&f);
  for (QString line = in.readLine(); !line.isNull(); line = in.readLine()) {
    const int colon = line.indexOf(':');
    if (colon > 0 && line.left(colon).trimmed() == key) return line.mid(colon + 1).trimmed();
  }
  return QStringLiteral("unknown");
}

QString envValue(const char* name) {
  const QByteArray v = qgetenv(name);
  return v.isEmpty() ? QStringLiteral("(not set)") : QString::fromLocal8Bit(v);
}

ReportSection programSection() {
  ReportSection s{QStringLiteral("Program"), {}};
  s.items.push_back({"Name", "Strataquill"});
  s.items.push_back({"Version", QStringLiteral("%1.%2 (build %3)")
                                    .arg(STRATAQUILL_VERSION_MAJOR)
                                    .arg(STRATAQUILL_VERSION_MINOR)
                                    .arg(STRATAQUILL_VERSION_REVISION)});
  const QString folder = qs(programFolder());
  s.items.push_back({"Program folder", folder});
  for (const char* file : {"strataquill", "strataquill-log", "File.tpl", "Format.tpl",
                           "Classification.sqc", "TIPOFDAY.TXT", "Help/index.html",
                           "LogFirstPage.sqf", "LogAdditionalPages.sqf"})
    s.items.push_back({file, fileState(folder + file)});
  const QDir patterns(folder + "Patterns");
  s.items.push_back({"Patterns", patterns.exists()
                                     ? QStringLiteral("%1 pictures").arg(patterns.entryList(QDir::Files).size())
                                     : QStringLiteral("missing")});
  return s;
}

ReportSection qtSection() {
  ReportSection s{QStringLiteral("Qt"), {}};
  s.items.push_back({"Run-time version", QString::fromLatin1(qVersion())});
  s.items.push_back({"Built with", QStringLiteral(QT_VERSION_STR)});
  s.items.push_back({"Platform", QGuiApplication::platformName()});
  return s;
}

ReportSection systemSection() {
  ReportSection s{QStringLiteral("Operating system"), {}};
  s.items.push_back({"System", QSysInfo::prettyProductName()});
  s.items.push_back({"Kernel", QSysInfo::kernelType() + " " + QSysInfo::kernelVersion()});
  s.items.push_back({"Host name", QSysInfo::machineHostName()});
  s.items.push_back({"Locale", QLocale::system().name()});
  s.items.push_back({"Short date", QLocale::system().dateFormat(QLocale::ShortFormat)});
  int n = 1;
  for (QScreen* screen : QGuiApplication::screens())
    s.items.push_back({QStringLiteral("Screen %1").arg(n++),
                       QStringLiteral("%1 x %2 pixels, %3 dpi")
                           .arg(screen->size().width())
                           .arg(screen->size().height())
                           .arg(qRound(screen->logicalDotsPerInch()))});
  return s;
}

ReportSection machineSection() {
  ReportSection s{QStringLiteral("Processor and memory"), {}};
  s.items.push_back({"Architecture", QSysInfo::currentCpuArchitecture()});
  s.items.push_back({"Processor", procValue("/proc/cpuinfo", "model name")});
  s.items.push_back({"Logical processors", QString::number(QThread::idealThreadCount())});
  s.items.push_back({"Memory", procValue("/proc/meminfo", "MemTotal")});
  s.items.push_back({"Memory available", procValue("/proc/meminfo", "MemAvailable")});
  return s;
}

ReportSection printerSection() {
  ReportSection s{QStringLiteral("Printers"), {}};
  const QString standard = QPrinterInfo::defaultPrinterName();
  s.items.push_back({"Default printer", standard.isEmpty() ? QStringLiteral("(none)") : standard});
  for (const QPrinterInfo& printer : QPrinterInfo::availablePrinters())
    s.items.push_back({printer.printerName(),
                       QStringLiteral("%1, %2").arg(printer.makeAndModel().isEmpty()
                                                        ? QStringLiteral("unknown model")
                                                        : printer.makeAndModel(),
                                                    printer.defaultPageSize().name())});
  return s;
}

ReportSection fontSection() {
  ReportSection s{QStringLiteral("Fonts"), {}};
  const QStringList families = QFontDatabase::families();
  s.items.push_back({"Families", QString::number(families.size())});
  // The fonts the shipped layouts name, and what the system draws for them.
  for (const char* name : {"Arial", "Times New Roman", "Courier New"})
    s.items.push_back({name, QFontInfo(QFont(QString::fromLatin1(name))).family()});
  return s;
}

ReportSection settingsSection() {
  ReportSection s{QStringLiteral("Settings"), {}};
  const QString path =
      QString::fromStdString(SettingsStore::forCurrentUser().fileFor(applicationName()).string());
  s.items.push_back({"Settings file", path + " (" + fileState(path) + ")"});
  QFile file(path);
  if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    QTextStream in(&file);
    QString section;
    for (QString line = in.readLine(); !line.isNull(); line = in.readLine()) {
      line = line.trimmed();
      if (line.startsWith('[') && line.endsWith(']')) {
        section = line.mid(1, line.size() - 2);
      } else if (const int eq = line.indexOf('='); eq > 0) {
        s.items.push_back({section + " / " + line.left(eq), line.mid(eq + 1)});
      }
    }
  }
  return s;
}

ReportSection registrySection() {
  ReportSection s{QStringLiteral("Registry"), {}};
  QString folder = envValue("VEXAMOR_REGISTRY");
  if (qgetenv("VEXAMOR_REGISTRY").isEmpty())
    folder = (qgetenv("XDG_CONFIG_HOME").isEmpty() ? QDir::homePath() + "/.config"
                                                   : QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"))) +
             "/vexamor/registry";
  s.items.push_back({"Registry folder", folder});
  for (const char* hive : {"HKEY_LOCAL_MACHINE.reg", "HKEY_CURRENT_USER.reg", "HKEY_CLASSES_ROOT.reg"})
    s.items.push_back({hive, fileState(folder + "/" + hive)});
  s.items.push_back({"XDG_CONFIG_HOME", envValue("XDG_CONFIG_HOME")});
  s.items.push_back({"XDG_DATA_HOME", envValue("XDG_DATA_HOME")});
  return s;
}

}  // namespace

std::vector<ReportSection> systemReport() {
  return {programSection(), qtSection(),       systemSection(),   machineSection(),
          printerSection(), fontSection(),     settingsSection(), registrySection()};
}

QString reportText(const std::vector<ReportSection>& report) {
  QString text;
  for (const ReportSection& section : report) {
    text += section.title + "\n";
    for (const auto& [name, value] : section.items) text += "  " + name + ": " + value + "\n";
    text += "\n";
  }
  return text;
}

}  // namespace sq
