#pragma once

// Texts the connection window and the command-line tool show for the link.

#include "OraveltVersion.h"

#include <QString>

namespace LinkMessages {

inline QString captionSuffix()
{
    return OraveltVersion::captionSuffix();
}
inline QString errorCaption() { return QStringLiteral("Ошибка - Соединение") + captionSuffix(); }
inline QString connectionCaption() { return QStringLiteral("Соединение") + captionSuffix(); }

inline QString programMissing()
{
    return QStringLiteral("Не найден результат проверки исходного текста.\n\nВыполните проверку исходного текста.");
}
inline QString programTooLarge()
{
    return QStringLiteral("Размер данных результата проверки исходного текста слишком велик.");
}
inline QString portAlreadyOpen() { return QStringLiteral("Порт уже открыт!"); }
inline QString portOn() { return QStringLiteral("Порт включен"); }
inline QString portOff() { return QStringLiteral("Порт выключен"); }

} // namespace LinkMessages
