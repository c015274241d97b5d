#pragma once

// The registry of control classes by name, through which the file reader
// recreates embedded controls: a control whose class is not registered
// cannot be recreated and its item is dropped. The six marker classes and
// TImage are registered by the program at start, before any window exists,
// and by the source file reader before it reads, so no caller can forget them.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace ClassRegistry {

void registerClass(QByteArrayView className);
bool isRegistered(QByteArrayView className);
QList<QByteArray> registeredClasses();
void clear();  // for tests

// TInfoComboBox, TEffectComboBox, TEffectClearComboBox, TPauseComboBox,
// TSpeedComboBox, TFontComboBox, TImage (the order has no effect).
void registerStandardClasses();

} // namespace ClassRegistry
