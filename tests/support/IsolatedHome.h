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
    QString dataHome() const;
    QString configHome() const;
    // The app's data folder inside dataHome().
    QString dataFolder() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldData;
    QByteArray m_oldConfig;
};
