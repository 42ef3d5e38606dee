#include "support/IsolatedHome.h"

#include <QFile>

IsolatedHome::IsolatedHome()
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(root() + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root() + QStringLiteral("/config")));
}

IsolatedHome::~IsolatedHome()
{
    qputenv("XDG_DATA_HOME", m_oldData);
    qputenv("XDG_CONFIG_HOME", m_oldConfig);
}
