// Text1 and Text2, the single-mode boxes: their texts as the batch run hands
// them to the engine. Called by the batch run's window adapter.
#pragma once

#include <QString>

class QPlainTextEdit;

// The box's text exactly as typed, lines separated by CR LF.
QString boxText(const QPlainTextEdit& box);
