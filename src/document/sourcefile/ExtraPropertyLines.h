#pragma once

// The name=value lines of picture and control records: only the properties
// that differ from their defaults are written, in a fixed order that differs
// between pictures and controls. Reading takes any known name whatever the
// kind of item and ignores unknown ones.

#include "document/model/SourceItem.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

enum class ExtraPropertyOwner { Picture, Control };

QList<QByteArray> writeExtraProperties(const ExtraProperties &extras, ExtraPropertyOwner owner);

// Applies one line: split at the first '='; an integer property whose value
// is not a number takes 0.
void readExtraProperty(QByteArrayView line, ExtraProperties &extras);
