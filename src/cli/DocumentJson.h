#pragma once

// A source document as JSON, for reading by people and scripts: the items
// in order with what each carries, the text and paragraph style tables with
// every property, the background and the layout. Colours are their names
// where they have one ("clRed"), otherwise "0x00BBGGRR".

#include "document/model/SourceDocument.h"

#include <QJsonObject>

QJsonObject documentToJson(const SourceDocument &document);
