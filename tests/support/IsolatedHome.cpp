#include "support/IsolatedHome.h"

#include <QDir>

IsolatedHome::IsolatedHome() : m_oldData(qgetenv("XDG_DATA_HOME")), m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome()));
}

IsolatedHome::~IsolatedHome()
{
    qputenv("XDG_DATA_HOME", m_oldData);
    qputenv("XDG_CONFIG_HOME", m_oldConfig);
}

QString IsolatedHome::dataHome() const
{
    return m_dir.path() + QStringLiteral("/data");
}

QString IsolatedHome::configHome() const
{
    return m_dir.path() + QStringLiteral("/config");
}

QString IsolatedHome::dataFolder() const
{
    return dataHome() + QStringLiteral("/Dictrava");
}
