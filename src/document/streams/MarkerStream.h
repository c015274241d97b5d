#pragma once

// The component stream of an embedded control. For a marker (one of the six
// drop-down list classes) the stream holds the list's properties in a fixed
// order; other registered controls keep the stream they were read from.
//
// Decoding applies a stream to a control already made from the class name
// of its record (the class name inside the stream is not consulted). A
// marker's stream is invalid when it holds a property a drop-down list does
// not have or a value of the wrong type; the control is then left unchanged
// and the result is false.

#include "document/model/EmbeddedControl.h"
#include "ObjectStreamReader.h"

#include <QByteArray>
#include <QByteArrayView>

QByteArray EncodeMarkerControl(const EmbeddedControl &control);
bool DecodeMarkerControl(QByteArrayView bytes, EmbeddedControl &control, StreamError *error = nullptr);
