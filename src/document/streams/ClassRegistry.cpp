#include "ClassRegistry.h"

#include <mutex>

namespace ClassRegistry {

namespace {
std::mutex &mutex()
{
    static std::mutex m;
    return m;
}
QList<QByteArray> &classes()
{
    static QList<QByteArray> list;
    return list;
}
} // namespace

void registerClass(QByteArrayView className)
{
    std::lock_guard lock(mutex());
    if (!classes().contains(className))
        classes().append(className.toByteArray());
}

bool isRegistered(QByteArrayView className)
{
    std::lock_guard lock(mutex());
    return classes().contains(className);
}

QList<QByteArray> registeredClasses()
{
    std::lock_guard lock(mutex());
    return classes();
}

void clear()
{
    std::lock_guard lock(mutex());
    classes().clear();
}

void registerStandardClasses()
{
    for (const char *name : {"TInfoComboBox", "TEffectComboBox", "TEffectClearComboBox", "TPauseComboBox",
                             "TSpeedComboBox", "TFontComboBox", "TImage"})
        registerClass(name);
}

} // namespace ClassRegistry
