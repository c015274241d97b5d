#include "SimulatorTitles.h"

using namespace Qt::StringLiterals;

namespace SimulatorTitles {

QString preview()
{
    return u"\"Oravelt 8\" - Предварительный просмотр"_s;
}

QString closing()
{
    return u"\"Oravelt 8\" v1.1 XP/W7 04.03.2011 - Предварительный просмотр"_s;
}

} // namespace SimulatorTitles
