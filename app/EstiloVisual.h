#pragma once

#include <QString>

class QApplication;

// The named visual styles built into the executable. A style is a base style of the toolkit,
// a palette and a style sheet, kept together as resources under the style's name.
class TEstiloVisual {
public:
    TEstiloVisual() = delete;

    // Applies the style ANome to the whole application, or fails (with the application's
    // look unchanged) when it is not built in or is broken.
    static void Aplicar(QApplication& AAplicacao, const QString& ANome);
};
