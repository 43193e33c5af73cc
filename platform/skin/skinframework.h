#pragma once

#include <QObject>
#include <QString>

class QWidget;

// The skinning control a form carries (object name "SkinFramework1"): a skin is a Qt style
// sheet of our own, kept in a file, or in a folder whose named file holds it.
class SkinFramework : public QObject {
    Q_OBJECT
public:
    explicit SkinFramework(QObject* parent = nullptr);

    // Reads the skin: `skin` is a style-sheet file, or a folder with `ini` naming the file in
    // it. "\" in the path counts as "/", and names match without regard to case. Raises
    // File not found (53) when there is nothing to read; the previous skin stays.
    void LoadSkin(const QString& skin, const QString& ini = {});
    // Dresses the window (and its children) with the loaded skin.
    void ApplyWindow(QWidget& window) const;

    long ApplyOptions() const { return applyOptions_; }
    void setApplyOptions(long options) { applyOptions_ = options; }
    const QString& styleSheet() const { return styleSheet_; }

private:
    QString styleSheet_;
    long applyOptions_ = 0;
};
