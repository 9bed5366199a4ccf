#include "XdgBase.h"

#include <QDir>

QString XdgBase(const char* variable, const char* homeDefault) {
    const QString base = qEnvironmentVariable(variable);
    if (!base.isEmpty() && !QDir::isRelativePath(base)) return base;
    return QDir::homePath() + u'/' + QLatin1String(homeDefault);
}
