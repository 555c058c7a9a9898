#pragma once

#include <QObject>
#include <optional>

namespace orrinet {

// The window geometry that start-up took from the settings: each value in
// the stored twips and in the pixels it became. While the window still has
// those pixels, Exit writes the stored twips back, so that rounding to whole
// pixels never makes a saved place or size creep from run to run.
class RestoredGeometry final : public QObject
{
public:
    struct Value
    {
        double twips = 0;
        int pixels = 0;
    };

    // The record of a window, made on first use; it lives as long as the window.
    static RestoredGeometry &of(QObject &window);
    // nullptr when nothing was restored.
    static const RestoredGeometry *find(const QObject &window);

    // The twips to save for one value: the restored ones while the window
    // still has the pixels they became, else twipsNow.
    static double twipsToSave(const std::optional<Value> &restored, int pixelsNow, double twipsNow)
    {
        return restored && restored->pixels == pixelsNow ? restored->twips : twipsNow;
    }

    std::optional<Value> left;
    std::optional<Value> top;
    std::optional<Value> width;  // outer
    std::optional<Value> height; // outer

private:
    explicit RestoredGeometry(QObject &window);
};

} // namespace orrinet
