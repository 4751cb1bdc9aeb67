#include "app/SystemTray.h"

#include <QSystemTrayIcon>

namespace SystemTray {
namespace {

std::optional<bool>& testAnswer()
{
    static std::optional<bool> answer;
    return answer;
}

} // namespace

bool isAvailable()
{
    if (const std::optional<bool> answer = testAnswer())
        return *answer;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void setAvailableForTests(std::optional<bool> available)
{
    testAnswer() = available;
}

} // namespace SystemTray
