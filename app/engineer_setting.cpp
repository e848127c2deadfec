#include "app/engineer_setting.h"

#include <QSettings>

namespace {

constexpr const char* kEngineerKey = "protokol/inzynier";

const QString kOwner = QStringLiteral("zel17");

}  // namespace

QString stored_engineer() { return QSettings(kOwner, kOwner).value(QString::fromLatin1(kEngineerKey)).toString(); }

void store_engineer(const QString& name) { QSettings(kOwner, kOwner).setValue(QString::fromLatin1(kEngineerKey), name); }
