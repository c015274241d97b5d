#include "MarkerKind.h"

#include "EmbeddedControl.h"

using namespace Qt::StringLiterals;

namespace {

QStringList pauseEntries()
{
    QStringList entries{u"0,1 сек."_s, u"0,3 сек."_s, u"0,5 сек."_s, u"1 сек."_s};
    for (int n = 4; n <= 17; ++n)
        entries << QString::number(n - 2) + u" сек."_s;
    return entries;
}

QStringList speedEntries()
{
    QStringList entries;
    for (int n = 0; n < 20; ++n)
        entries << QString::number(n + 1);
    return entries;
}

const std::array<MarkerKindInfo, 6> &table()
{
    static const std::array<MarkerKindInfo, 6> kinds{{
        {MarkerKind::Effect, "TEffectComboBox", "EffectCB", u"Режим вывода"_s, u"Режим вывода текста"_s, 129,
         {u"Слева"_s, u"Справа"_s, u"В центре"_s, u"Сдвигом влево"_s, u"Сдвигом вправо"_s,
          u"Сдвигом вниз"_s, u"Сдвигом вверх"_s, u"Сдвигом из центра"_s, u"Сдвигом в центр"_s,
          u"Открывать слева"_s, u"Открывать справа"_s, u"Открывать сверху"_s, u"Открывать снизу"_s,
          u"Откр. случ. точками"_s, u"Откр. случ. столбцами"_s, u"Откр. случ. линиями"_s,
          u"Пепел слева"_s, u"Пепел справа"_s, u"Растянуть из центра(гор.)"_s, u"Случайный"_s},
         0, u"В."_s, true},
        {MarkerKind::EffectClear, "TEffectClearComboBox", "EffectClearCB", u"Режим очистки"_s,
         u"Режим очистки дисплея"_s, 129,
         {u"Очистить видео буфер"_s, u"Очистить"_s, u"Сдвигом влево"_s, u"Сдвигом вправо"_s,
          u"Сдвигом вверх"_s, u"Сдвигом вниз"_s, u"Сдвигом в центр"_s, u"Сдвигом из центра"_s,
          u"Верт. сдвиг. в центр"_s, u"Верт. сдвиг. из центра"_s, u"Стирать справа"_s,
          u"Стирать слева"_s, u"Стирать сверху"_s, u"Стирать снизу"_s, u"Случайными точками"_s,
          u"Случайными столбцами"_s, u"Случайными линиями"_s, u"Падением точек"_s,
          u"Рассыпанием точек"_s, u"Пепел слева"_s, u"Пепел справа"_s, u"Молния слева"_s,
          u"Молния справа"_s, u"*Негатив"_s, u"*Негатив слева"_s, u"*Негатив справа"_s,
          u"*Зеркальный гор."_s, u"*Зеркальный верт."_s, u"Случайный"_s},
         2, u"О."_s, true},
        {MarkerKind::Pause, "TPauseComboBox", "PauseCB", u"Пауза"_s, u"Пауза"_s, 65, pauseEntries(), 3,
         u"П."_s, false},
        {MarkerKind::Speed, "TSpeedComboBox", "SpeedCB", u"Скорость"_s, u"Скорость вывода"_s, 49,
         speedEntries(), 9, u"С."_s, false},
        {MarkerKind::Font, "TFontComboBox", "fontCB", u"Шрифт"_s, u"Шрифт текста"_s, 121,
         {u"Широкий высокий"_s, u"Высокий 6x8"_s}, 1, u"Ш."_s, false},
        {MarkerKind::Info, "TInfoComboBox", "InfoCB", u"Информация"_s, u"Вывести дополнительную информацию"_s,
         157,
         {u"Время в формате чч:мм"_s, u"Время в формате чч:мм:сс"_s, u"Дата в формате мм/дд/гггг"_s,
          u"Дата в формате дд-мм-гггг"_s, u"Дата в формате гггг-мм-дд"_s},
         0, u"И."_s, true},
    }};
    return kinds;
}

} // namespace

const std::array<MarkerKind, 6> &allMarkerKinds()
{
    static const std::array<MarkerKind, 6> kinds{MarkerKind::Effect, MarkerKind::EffectClear, MarkerKind::Pause,
                                                 MarkerKind::Speed, MarkerKind::Font, MarkerKind::Info};
    return kinds;
}

const MarkerKindInfo &markerKindInfo(MarkerKind kind)
{
    return table()[size_t(kind)];
}

std::optional<MarkerKind> markerKindOfClass(QByteArrayView className)
{
    for (const MarkerKindInfo &info : table()) {
        if (className == QByteArrayView(info.className))
            return info.kind;
    }
    return std::nullopt;
}

QStringList markerEntries(MarkerKind kind)
{
    const MarkerKindInfo &info = markerKindInfo(kind);
    QStringList entries;
    entries.reserve(info.entries.size());
    for (const QString &entry : info.entries)
        entries << info.prefix + entry;
    return entries;
}

EmbeddedControl makeMarker(MarkerKind kind, int index)
{
    const MarkerKindInfo &info = markerKindInfo(kind);
    EmbeddedControl control;
    control.className = info.className;
    control.Width = info.width;
    control.Items = markerEntries(kind);
    control.ItemIndex = (index >= 0 && index < control.Items.size()) ? index : -1;
    control.Text = control.ItemIndex >= 0 ? control.Items.at(control.ItemIndex) : QString();
    control.DropDownCount = int(control.Items.size());
    control.Hint = info.hint;
    return control;
}
