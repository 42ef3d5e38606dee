#pragma once

#include <QString>
#include <QTemporaryDir>

// Points XDG_DATA_HOME and XDG_CONFIG_HOME at a fresh temporary folder for as long as it lives,
// so a test never touches the real user's data.
class IsolatedHome
{
public:
    IsolatedHome();
    ~IsolatedHome();

    QString root() const { return m_dir.path(); }
    // The app's data folder inside XDG_DATA_HOME.
    QString dataFolder() const { return root() + QStringLiteral("/data/Dictrava"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldData = qgetenv("XDG_DATA_HOME");
    QByteArray m_oldConfig = qgetenv("XDG_CONFIG_HOME");
};
