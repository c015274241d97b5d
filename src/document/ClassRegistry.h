#pragma once

// The registry of control classes by name, through which the file reader
// recreates embedded controls: a control whose class is not registered
// cannot be recreated and its item is dropped. The program registers the six
// marker classes and TImage at start, before any window exists.

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
