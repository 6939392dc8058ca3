#include "settings/qsettings_store.h"

#include <QSettings>
#include <QString>

#include "core/error.h"

namespace snapnook {
namespace {

QString Key(const std::string& section, const std::string& key) {
  return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

}  // namespace

std::string QSettingsStore::Read(const std::string& app, const std::string& section,
                                 const std::string& key, const std::string& fallback) {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(app));
  const QVariant value = settings.value(Key(section, key));
  if (!value.isValid()) return fallback;
  return value.toString().toStdString();
}

void QSettingsStore::Write(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& value) {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(app));
  settings.setValue(Key(section, key), QString::fromStdString(value));
  settings.sync();
  if (settings.status() != QSettings::NoError) {
    throw SnapError(kErrPathFileAccess,
                    "Path/File access error: " + settings.fileName().toStdString());
  }
}

}  // namespace snapnook
