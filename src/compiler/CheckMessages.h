#pragma once

// The texts of the check: the start line of the message pane, the error lines
// (each one line of the pane), and the file error box.

#include <QString>

namespace CheckMessages {

inline const QString Start = QStringLiteral("Проверка исходного текста. Для прерывания нажмите клавишу <Esc>.");

inline const QString NoOutputEffect = QStringLiteral(
    "[Ошибка] Не выбран режим вывода элемента. См. положение курсора (установлен перед элементом).");
inline const QString BadTextColour = QStringLiteral("[Ошибка] Недопустимый цвет текста. См. выделенное.");
inline const QString BadTextCharacter = QStringLiteral("[Ошибка] Недопустимый символ в тексте. См. выделенное.");
inline const QString UnsupportedPicture = QStringLiteral(
    "[Ошибка] Тип изображения не поддерживается. Используйте изображения из встроенного редактора, "
    "скопированные через буфер обмена из программы \"Paint\" или другие растровых типов.");
inline const QString PictureHeight = QStringLiteral(
    "[Ошибка] Поддерживаются графические изображения высотой только 8 пкс. См. выделенное.");
inline const QString PictureWidth = QStringLiteral(
    "[Ошибка] Ширина изображения больше 65535 пкс. См. выделенное.");
inline const QString BadPictureColour = QStringLiteral("[Ошибка] Недопустимый цвет в изображении. См. выделенное.");

inline const QString FileErrorCaption = QStringLiteral("Ошибка - Проверка исходного текста");
inline const QString FileErrorText = QStringLiteral(
    "Ошибка. Невозможно создать файл результата проверки исходного текста.\n\n"
    "Убедитесь, что диск, с которого запущена программа, не защищен от записи.");

} // namespace CheckMessages
