#pragma once

#include <QString>

/// The one extension a file dialog's filter entry offers: "txt" for "Txt File(*.txt)". Empty
/// when the entry's parentheses hold anything but a single "*.ext" pattern ("(*)", "(*.a *.b)").
QString filterSuffix(const QString& filterEntry);

/// The name a save dialog saves under. A name without an extension takes the extension of the
/// chosen filter entry, or `defaultSuffix` when the entry offers none; a typed extension is kept;
/// with an empty `defaultSuffix` (a dialog without default extension) the name stays as typed.
/// The extension runs from the last dot to the end, provided no '/', '\\' or ':' follows that
/// dot, as the data files tell their format.
QString savedFileName(const QString& typedName, const QString& filterEntry,
                      const QString& defaultSuffix);
