#pragma once
// The editor an effect gets when it has no window of its own: one control per numbered
// parameter the effect describes (name, range, unit, kind): a level slider for
// continuous and stepped values, a check box for a switch, and the value under it.
// A change the user makes is announced with aboutToEdit (so that the chain editor can
// open its undo step first) and then sent to the effect.
// User-interface thread only. The effect must outlive the editor.

#include <QWidget>

#include <cstdint>
#include <vector>

class QCheckBox;
class QLabel;

namespace quillon {

class CLevelSlider;
class CTransformPlugin;
struct EffectParameterInfo;

class GenericEffectEditor : public QWidget {
    Q_OBJECT
public:
    // Steps of a continuous parameter's slider over its whole range.
    static constexpr int kSteps = 1000;
    static constexpr int kColumns = 9;

    // A ClassCom from the effect's parameter commands passes to the caller.
    explicit GenericEffectEditor(CTransformPlugin& effect, QWidget* parent = nullptr);

    int parameterCount() const { return int(m_controls.size()); }
    // The control of parameter `index`: a CLevelSlider or a QCheckBox.
    QWidget* control(int index) const;
    QString valueText(int index) const;
    // Reads every value back from the effect (after a preset was applied).
    void reload();

    // Slider position <-> parameter value.
    static int positionOf(const EffectParameterInfo& info, float value);
    static float valueAt(const EffectParameterInfo& info, int position);

signals:
    void aboutToEdit(int index);
    void edited(int index);

private:
    struct Control {
        CLevelSlider* slider = nullptr;
        QCheckBox* box = nullptr;
        QLabel* value = nullptr;
    };
    void userChanged(int index, float value);
    void showValue(int index, float value);

    CTransformPlugin& m_effect;
    std::vector<EffectParameterInfo> m_infos;
    bool m_translate = true;
    std::vector<Control> m_controls;
};

} // namespace quillon
