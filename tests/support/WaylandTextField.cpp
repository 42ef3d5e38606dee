#include "support/WaylandTextField.h"

#include <QDeadlineTimer>
#include <QTest>

namespace {

const char *const kScript = R"(
import sys, gi
gi.require_version("Gtk", "3.0")
from gi.repository import Gtk, GLib
window = Gtk.Window(title="field")
entry = Gtk.Entry()
window.add(entry)
entry.connect("changed", lambda e: print("text:" + e.get_text(), flush=True))
def command(source, condition):
    if sys.stdin.readline().strip() == "clear":
        entry.set_text("")
        print("text:", flush=True)
    return True
GLib.io_add_watch(sys.stdin, GLib.IO_IN, command)
window.connect("notify::is-active", lambda w, p: w.is_active() and print("focused", flush=True))
window.show_all()
Gtk.main()
)";

} // namespace

WaylandTextField::WaylandTextField(const QProcessEnvironment &environment)
{
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's own Python: the GTK bindings are its package.
    m_process.start(u"/usr/bin/python3"_qs, {u"-c"_qs, QString::fromUtf8(kScript)});
}

WaylandTextField::~WaylandTextField()
{
    m_process.kill();
    m_process.waitForFinished(3000);
}

bool WaylandTextField::wasFocused()
{
    return output().contains("focused");
}

QString WaylandTextField::text()
{
    const QByteArray all = output();
    const qsizetype at = all.lastIndexOf("text:");
    if (at < 0)
        return {};
    return QString::fromUtf8(all.mid(at + 5, all.indexOf('\n', at) - at - 5));
}

bool WaylandTextField::clear()
{
    const qsizetype before = output().size();
    m_process.write("clear\n");
    const QDeadlineTimer patience(5000);
    while (!patience.hasExpired()) {
        if (output().size() > before && text().isEmpty())
            return true;
        QTest::qWait(20);
    }
    return false;
}

QByteArray WaylandTextField::output()
{
    m_output += m_process.readAllStandardOutput();
    return m_output;
}
