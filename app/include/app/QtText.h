#pragma once
// Crossings between the program's GBK texts and Qt's UTF-16 strings and URLs.

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <string_view>

#include "text/Text.h"

// The GBK text as a Qt string.
QString toQString(std::string_view gbk);

// The Qt string as GBK; characters GBK lacks become its default character.
Text fromQString(const QString& text);

// The URL bytes with every byte outside the URL-safe set written as "%XX" of that
// byte, so a server decodes exactly the GBK bytes the text holds. A "%" that
// starts a valid escape is kept; any other "%" is escaped itself.
QByteArray encodeUrlBytes(std::string_view gbkUrl);

// QUrl of encodeUrlBytes(gbkUrl).
QUrl urlFromGbk(std::string_view gbkUrl);
