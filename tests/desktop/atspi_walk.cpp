// A screen reader's view of one window of a running program: walks the window's accessibility tree over
// AT-SPI, as Orca reads it, and reports every control a user can reach that has no name, a name that
// still carries its access key's mark ("打开(O)"), or the same name and role as a control beside it.
//   atspi_walk PID WINDOW-NAME
// Exits 0 when the window is fine, 1 with the faults on standard output, 2 when it cannot be walked.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

struct Ref
{
    QString service;
    QDBusObjectPath path;
};

const QDBusArgument& operator>>(const QDBusArgument& argument, Ref& ref)
{
    argument.beginStructure();
    argument >> ref.service >> ref.path;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const Ref& ref)
{
    argument.beginStructure();
    argument << ref.service << ref.path;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(Ref)

namespace {

// AT-SPI's state bits, numbered as AT-SPI's own interface description does.
constexpr int StateFocusable = 11;
constexpr int StateShowing = 25;

// Roles a user acts on, by the names AT-SPI gives them.
const QSet<QString> Interactive{u"push button"_s,
                                u"check box"_s,
                                u"radio button"_s,
                                u"combo box"_s,
                                u"text"_s,
                                u"password text"_s,
                                u"menu item"_s,
                                u"check menu item"_s,
                                u"radio menu item"_s,
                                u"toggle button"_s,
                                u"spin button"_s,
                                u"slider"_s,
                                u"table"_s,
                                u"list"_s,
                                u"tree"_s,
                                u"link"_s,
                                u"page tab"_s,
                                u"entry"_s};
// Whose children are the data they show, not controls of the window.
const QSet<QString> DataViews{u"table"_s, u"list"_s, u"tree"_s, u"tree table"_s};

class Walker
{
public:
    explicit Walker(const QDBusConnection& bus) : m_bus(bus) {}

    QDBusMessage call(const Ref& ref, const QString& interface, const QString& method,
                      const QVariantList& arguments = {}) const
    {
        QDBusMessage message =
            QDBusMessage::createMethodCall(ref.service, ref.path.path(), interface, method);
        message.setArguments(arguments);
        return m_bus.call(message, QDBus::Block, 5000);
    }

    QString name(const Ref& ref) const
    {
        const QDBusMessage reply = call(ref, u"org.freedesktop.DBus.Properties"_s, u"Get"_s,
                                        {u"org.a11y.atspi.Accessible"_s, u"Name"_s});
        return reply.arguments().value(0).value<QDBusVariant>().variant().toString();
    }

    QString role(const Ref& ref) const
    {
        return call(ref, u"org.a11y.atspi.Accessible"_s, u"GetRoleName"_s).arguments().value(0).toString();
    }

    QList<quint32> state(const Ref& ref) const
    {
        const QDBusMessage reply = call(ref, u"org.a11y.atspi.Accessible"_s, u"GetState"_s);
        return qdbus_cast<QList<quint32>>(reply.arguments().value(0));
    }

    QList<Ref> children(const Ref& ref) const
    {
        const QDBusMessage reply = call(ref, u"org.a11y.atspi.Accessible"_s, u"GetChildren"_s);
        return qdbus_cast<QList<Ref>>(reply.arguments().value(0));
    }

    static bool has(const QList<quint32>& state, int bit)
    {
        const int word = bit / 32;
        return word < state.size() && (state.at(word) & (1u << (bit % 32)));
    }

    // Walks `ref` and what is under it; `trail` names the way there, for the report.
    void walk(const Ref& ref, const QString& trail)
    {
        const QString key = ref.service + ref.path.path();
        if (m_seen.contains(key) || m_seen.size() > 5000)
            return;
        m_seen.insert(key);
        const QList<Ref> kids = children(ref);
        QHash<QString, int> siblings;
        for (const Ref& kid : kids) {
            const QString kidRole = role(kid);
            const QString kidName = name(kid);
            const QList<quint32> kidState = state(kid);
            const QString where = trail + u" > "_s + kidRole + u" \""_s + kidName + u'"';
            const bool acts = Interactive.contains(kidRole) || has(kidState, StateFocusable);
            // What shows, and the items of the menus, which show once opened.
            const bool reachable = has(kidState, StateShowing) || kidRole.endsWith(u"menu item"_s);
            if (acts && reachable && kidRole != u"scroll bar"_s) {
                ++checked;
                static const QRegularExpression keyMark(u"\\(\\w\\)$|&"_s);
                if (kidName.trimmed().isEmpty())
                    faults << u"unnamed: "_s + where;
                else if (keyMark.match(kidName).hasMatch())
                    faults << u"access key in the name: "_s + where;
                else if (++siblings[kidRole + u'\n' + kidName] == 2)
                    faults << u"name given twice: "_s + where;
            }
            if (!DataViews.contains(kidRole))
                walk(kid, where);
        }
    }

    QStringList faults;
    int checked = 0;

private:
    QDBusConnection m_bus;
    QSet<QString> m_seen;
};

int fail(const QString& why)
{
    std::printf("cannot walk: %s\n", qPrintable(why));
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<Ref>();
    qDBusRegisterMetaType<QList<Ref>>();
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3)
        return fail(u"usage: atspi_walk PID WINDOW-NAME"_s);
    const uint pid = arguments.at(1).toUInt();
    const QString windowName = arguments.at(2);

    // The accessibility bus, which the session bus names.
    QDBusMessage address = QDBusMessage::createMethodCall(u"org.a11y.Bus"_s, u"/org/a11y/bus"_s,
                                                          u"org.a11y.Bus"_s, u"GetAddress"_s);
    address = QDBusConnection::sessionBus().call(address, QDBus::Block, 10000);
    if (address.type() != QDBusMessage::ReplyMessage)
        return fail(u"no accessibility bus: "_s + address.errorMessage());
    QDBusConnection bus = QDBusConnection::connectToBus(address.arguments().value(0).toString(), u"a11y"_s);
    if (!bus.isConnected())
        return fail(u"the accessibility bus does not answer"_s);
    Walker walker(bus);

    // The program's connection, by its process; then its window, once it shows.
    QElapsedTimer waited;
    waited.start();
    Ref window;
    while (window.service.isEmpty() && waited.elapsed() < 15000) {
        for (const QString& service : bus.interface()->registeredServiceNames().value()) {
            if (!service.startsWith(u':') || bus.interface()->servicePid(service).value() != pid)
                continue;
            const Ref root{service, QDBusObjectPath(u"/org/a11y/atspi/accessible/root"_s)};
            for (const Ref& top : walker.children(root)) {
                if (walker.name(top) == windowName && Walker::has(walker.state(top), StateShowing))
                    window = top;
            }
        }
        if (window.service.isEmpty())
            QThread::msleep(200);
    }
    if (window.service.isEmpty())
        return fail(u"no window \""_s + windowName + u"\" of process "_s + QString::number(pid));

    walker.walk(window, u'"' + windowName + u'"');
    for (const QString& fault : walker.faults)
        std::printf("%s\n", qPrintable(fault));
    std::printf("%d controls checked in \"%s\", %lld faults\n", walker.checked, qPrintable(windowName),
                qlonglong(walker.faults.size()));
    if (walker.checked == 0)
        return fail(u"no control found"_s);
    return walker.faults.isEmpty() ? 0 : 1;
}
