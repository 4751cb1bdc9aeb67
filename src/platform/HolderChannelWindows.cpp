#include "platform/HolderChannel.h"
#include "platform/HolderChannelWire.h"

#include <QDeadlineTimer>
#include <QWinEventNotifier>

#include <memory>
#include <vector>

#include <windows.h>

#include <sddl.h>

using namespace HolderChannelWire;

namespace {

struct HandleCloser
{
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// The user this process runs as, in the text form a security descriptor takes ("S-1-5-21-…").
QString userSid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    const Handle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<TOKEN_USER> user(size / sizeof(TOKEN_USER) + 1);
    wchar_t* text = nullptr;
    if (!GetTokenInformation(token, TokenUser, user.data(), DWORD(user.size() * sizeof(TOKEN_USER)), &size) ||
        !ConvertSidToStringSidW(user.front().User.Sid, &text))
        return {};
    const QString sid = QString::fromWCharArray(text);
    LocalFree(text);
    return sid;
}

// Pipe names are machine-wide: the user's session goes into the name beside the user and the file, as
// a window of another session cannot come to the front here.
std::wstring pipeName(const QString& fileName)
{
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return (QStringLiteral("\\\\.\\pipe\\") + HolderChannel::serverName(fileName) + QLatin1Char('-') +
            QString::number(session))
        .toStdWString();
}

// One read or write on the caller's end of the pipe, given up at `deadline`; the bytes moved, or -1.
qint64 transfer(HANDLE pipe, bool write, char* data, DWORD size, const QDeadlineTimer& deadline)
{
    const Handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event)
        return -1;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    const BOOL started = write ? WriteFile(pipe, data, size, nullptr, &overlapped)
                               : ReadFile(pipe, data, size, nullptr, &overlapped);
    if (!started && GetLastError() != ERROR_IO_PENDING)
        return -1;
    if (WaitForSingleObject(event.get(), DWORD(qMax<qint64>(0, deadline.remainingTime()))) != WAIT_OBJECT_0)
        CancelIoEx(pipe, &overlapped);
    DWORD count = 0;
    return GetOverlappedResult(pipe, &overlapped, &count, TRUE) ? qint64(count) : -1;
}

} // namespace

// One instance of the pipe, served by this thread's event loop: a caller connects, sends its line,
// reads the answer and hangs up, and the next caller may connect. Ours are quick and give up after
// CallTimeoutMs, so one instance serves them all.
class HolderChannel::Listener : public QObject
{
public:
    Listener(const QString& fileName, HolderChannel* channel);
    ~Listener() override;

    bool isListening() const { return m_pipe != INVALID_HANDLE_VALUE; }

private:
    enum class Stage
    {
        Connecting,
        Reading,
        Answering,
        HangingUp
    };

    void awaitCaller();
    void start(Stage stage, BOOL result);
    void read(Stage stage);
    void proceed();

    HolderChannel* m_channel;
    Handle m_event{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    QWinEventNotifier m_notifier{m_event.get()};
    HANDLE m_pipe = INVALID_HANDLE_VALUE;
    OVERLAPPED m_overlapped{};
    Stage m_stage = Stage::Connecting;
    char m_buffer[256] = {};
    QByteArray m_request;
};

HolderChannel::Listener::Listener(const QString& fileName, HolderChannel* channel)
    : QObject(channel), m_channel(channel)
{
    m_overlapped.hEvent = m_event.get();
    // Only this user may open the pipe: the default descriptor would let every user read from it. Remote
    // clients are turned away too, though the same account on another machine would pass that check: a
    // window here cannot come to the front for them.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const QString sid = userSid();
    if (!m_event || sid.isEmpty() ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorW(
            reinterpret_cast<const wchar_t*>(QStringLiteral("D:P(A;;GA;;;%1)").arg(sid).utf16()),
            SDDL_REVISION_1, &descriptor, nullptr))
        return;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    m_pipe = CreateNamedPipeW(pipeName(fileName).c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                              PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                              PIPE_UNLIMITED_INSTANCES, sizeof m_buffer, sizeof m_buffer, 0, &attributes);
    LocalFree(descriptor);
    if (m_pipe == INVALID_HANDLE_VALUE)
        return;
    connect(&m_notifier, &QWinEventNotifier::activated, this, &Listener::proceed);
    awaitCaller();
}

HolderChannel::Listener::~Listener()
{
    m_notifier.setEnabled(false);
    if (m_pipe == INVALID_HANDLE_VALUE)
        return;
    // The system writes into m_overlapped and m_buffer until the operation under way has ended.
    CancelIoEx(m_pipe, &m_overlapped);
    DWORD count = 0;
    GetOverlappedResult(m_pipe, &m_overlapped, &count, TRUE);
    CloseHandle(m_pipe);
}

void HolderChannel::Listener::awaitCaller()
{
    DisconnectNamedPipe(m_pipe);
    m_request.clear();
    const BOOL connected = ConnectNamedPipe(m_pipe, &m_overlapped);
    // A caller that came between two turns is there already, and nothing signals it.
    if (!connected && GetLastError() == ERROR_PIPE_CONNECTED)
        read(Stage::Reading);
    else
        start(Stage::Connecting, connected);
}

// An operation that completes, at once or later, signals m_event; one that failed to start leaves the
// caller to be dropped, and a pipe that cannot wait for callers any more is closed.
void HolderChannel::Listener::start(Stage stage, BOOL result)
{
    m_stage = stage;
    if (result || GetLastError() == ERROR_IO_PENDING)
        return;
    if (stage != Stage::Connecting) {
        awaitCaller();
        return;
    }
    m_notifier.setEnabled(false);
    CloseHandle(m_pipe);
    m_pipe = INVALID_HANDLE_VALUE;
}

void HolderChannel::Listener::read(Stage stage)
{
    start(stage, ReadFile(m_pipe, m_buffer, sizeof m_buffer, nullptr, &m_overlapped));
}

void HolderChannel::Listener::proceed()
{
    DWORD count = 0;
    const BOOL done = GetOverlappedResult(m_pipe, &m_overlapped, &count, FALSE);
    if (!done && GetLastError() == ERROR_IO_INCOMPLETE)
        return;
    ResetEvent(m_event.get());
    // Broken off, or the caller hung up: the pipe is free for the next one.
    if (!done) {
        awaitCaller();
        return;
    }
    switch (m_stage) {
    case Stage::Connecting:
        read(Stage::Reading);
        return;
    case Stage::Reading: {
        m_request.append(m_buffer, count);
        const qsizetype end = m_request.indexOf('\n');
        if (end < 0) {
            if (m_request.size() > MaxRequest)
                awaitCaller();
            else
                read(Stage::Reading);
            return;
        }
        const QByteArray token = m_request.left(end).trimmed();
        start(Stage::Answering, WriteFile(m_pipe, Taken, DWORD(qstrlen(Taken)), nullptr, &m_overlapped));
        if (m_stage == Stage::Answering)
            Q_EMIT m_channel->called(token);
        return;
    }
    // Disconnecting now would throw away the answer unread: the caller hangs up once it has it.
    case Stage::Answering:
    case Stage::HangingUp:
        read(Stage::HangingUp);
        return;
    }
}

void HolderChannel::listenFor(const QString& fileName)
{
    if (fileName == m_fileName && (fileName.isEmpty() || (m_listener && m_listener->isListening())))
        return;
    delete m_listener;
    m_listener = nullptr;
    m_fileName = fileName;
    if (!fileName.isEmpty())
        m_listener = new Listener(fileName, this);
}

bool HolderChannel::callHolder(const QString& fileName, const QByteArray& activationToken)
{
    const std::wstring name = pipeName(fileName);
    const QDeadlineTimer deadline(CallTimeoutMs);
    HANDLE opened = INVALID_HANDLE_VALUE;
    // Identification only: whoever serves the pipe learns who calls but cannot act as this user.
    while ((opened = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                                 nullptr)) == INVALID_HANDLE_VALUE) {
        // Busy with another caller: its turn ends within that caller's own timeout.
        if (GetLastError() != ERROR_PIPE_BUSY || deadline.hasExpired() ||
            !WaitNamedPipeW(name.c_str(), DWORD(qMax<qint64>(1, deadline.remainingTime()))))
            return false;
    }
    const Handle pipe(opened);
    // Windows lets only the process the user works in, this one, give the foreground away; the holder
    // may take it only by this leave.
    ULONG holder = 0;
    if (GetNamedPipeServerProcessId(pipe.get(), &holder))
        AllowSetForegroundWindow(holder);
    QByteArray line = request(activationToken);
    if (transfer(pipe.get(), true, line.data(), DWORD(line.size()), deadline) != line.size())
        return false;
    QByteArray answer;
    char buffer[16];
    while (!answer.contains('\n') && answer.size() < MaxRequest) {
        const qint64 count = transfer(pipe.get(), false, buffer, sizeof buffer, deadline);
        if (count <= 0)
            return false;
        answer.append(buffer, count);
    }
    return answer == Taken;
}
