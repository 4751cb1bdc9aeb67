#pragma once

#include <QByteArray>
#include <QLocale>

// What the user's locale says about text: the encoding of the text files people exchange and of terminal
// output, and the order strings sort in. Qt 6 takes every Unix locale to be UTF-8, which a GB18030 one
// is not.
namespace SystemLocale {

// A name QStringEncoder and QStringDecoder take: the locale's character set on Unix (plain ASCII, the C
// locale's, counted as UTF-8, as Qt does for file names), the ANSI code page on Windows.
QByteArray textEncoding();

// The locale strings are collated in: on Unix the one LC_ALL, else LC_COLLATE, else LANG names, as the C
// library resolves them; the user's locale on Windows.
QLocale collation();

} // namespace SystemLocale
