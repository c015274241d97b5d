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
// The check before a load found an error or did not end.
inline QString checkFailed()
{
    return QStringLiteral("Проверка исходного текста не завершилась успешно: текст содержит ошибку "
                          "или проверка прервана.\n\nДанные в изделие не отправлены.");
}
inline QString portAlreadyOpen() { return QStringLiteral("Порт уже открыт!"); }
inline QString portOn() { return QStringLiteral("Порт включен"); }
inline QString portOff() { return QStringLiteral("Порт выключен"); }

} // namespace LinkMessages
