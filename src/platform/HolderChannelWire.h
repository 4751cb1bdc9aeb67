#pragma once

#include <QByteArray>

// What goes over the holder channel on every system: the caller sends one line, its activation token
// (empty where the system needs none), and the holder answers Taken once it comes to the front.
namespace HolderChannelWire {

constexpr int CallTimeoutMs = 3000;
constexpr char Taken[] = "ok\n";
// A token is short; more than this is not a caller of ours.
constexpr qsizetype MaxRequest = 4096;

inline QByteArray request(const QByteArray& activationToken)
{
    return QByteArray(activationToken).replace('\n', QByteArray()) + '\n';
}

} // namespace HolderChannelWire
