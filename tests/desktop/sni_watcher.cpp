// A StatusNotifierWatcher, as KDE Plasma and GNOME's AppIndicator extension run one, on the session bus it
// is given. It doubles as the tray that shows the items: the first item that registers is clicked once,
// through the item's own Activate method, as those trays do on a left click.
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QStringList>
#include <QTimer>

#include <cstdio>

using namespace Qt::StringLiterals;

class StatusNotifierWatcher : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    explicit StatusNotifierWatcher(QObject* parent) : QDBusAbstractAdaptor(parent) {}

    QStringList items() const { return m_items; }
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message)
    {
        // An item names its bus name, or only its object path on the caller's connection.
        const bool isPath = service.startsWith(QLatin1Char('/'));
        const QString bus = isPath ? message.service() : service;
        const QString path = isPath ? service : u"/StatusNotifierItem"_s;
        m_items.append(bus + path);
        Q_EMIT StatusNotifierItemRegistered(bus + path);
        std::printf("registered %s%s\n", qPrintable(bus), qPrintable(path));
        std::fflush(stdout);
        if (m_items.size() == 1)
            QTimer::singleShot(300, this, [bus, path] { click(bus, path); });
    }
    void RegisterStatusNotifierHost(const QString&) {}

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString& item);
    void StatusNotifierItemUnregistered(const QString& item);
    void StatusNotifierHostRegistered();

private:
    static void click(const QString& bus, const QString& path)
    {
        QDBusInterface item(bus, path, u"org.kde.StatusNotifierItem"_s);
        const QDBusMessage reply = item.call(u"Activate"_s, 0, 0);
        std::printf("clicked: %s\n",
                    reply.type() == QDBusMessage::ErrorMessage ? qPrintable(reply.errorMessage()) : "ok");
        std::fflush(stdout);
    }

    QStringList m_items;
};

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    QObject root;
    new StatusNotifierWatcher(&root);
    if (!bus.registerObject(u"/StatusNotifierWatcher"_s, &root) ||
        !bus.registerService(u"org.kde.StatusNotifierWatcher"_s)) {
        std::fprintf(stderr, "sni_watcher: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    std::printf("watching\n");
    std::fflush(stdout);
    return app.exec();
}

#include "sni_watcher.moc"
