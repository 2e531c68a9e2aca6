#pragma once

#include <QString>

class QLabel;
class TResourceIconEnum;

// Puts the built-in icons into image controls. Holds no state.
class TResourceIcon {
public:
    TResourceIcon() = delete;

    // Clears AImage's picture, then, unless AResource is nullptr or riNone, shows the image
    // built in under AResource's name. A missing or broken image fails with the picture left
    // cleared.
    static void AssignImageFromResource(QLabel* AImage, const TResourceIconEnum* AResource);

    // Where the image of that name is built in (a Qt resource path).
    static QString CaminhoRecurso(const TResourceIconEnum& AResource);
};
