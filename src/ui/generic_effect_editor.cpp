#include "ui/generic_effect_editor.h"

#include "model/transform_plugin.h"
#include "ui/level_slider.h"
#include "ui/plugin_texts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>

#include <algorithm>
#include <cmath>

namespace quillon {

namespace {

bool stepsAreWhole(const EffectParameterInfo& info)
{
    return info.kind == QUILLON_FX_PARAM_STEPPED && info.minimum >= -32768.0f && info.maximum <= 32767.0f;
}

} // namespace

int GenericEffectEditor::positionOf(const EffectParameterInfo& info, float value)
{
    const float v = std::clamp(value, info.minimum, info.maximum);
    if (stepsAreWhole(info))
        return int(std::lround(v));
    const float span = info.maximum - info.minimum;
    return span > 0.0f ? int(std::lround((v - info.minimum) / span * kSteps)) : 0;
}

float GenericEffectEditor::valueAt(const EffectParameterInfo& info, int position)
{
    if (stepsAreWhole(info))
        return std::clamp(float(position), info.minimum, info.maximum);
    const float v = info.minimum + (info.maximum - info.minimum) * float(position) / float(kSteps);
    return std::clamp(v, info.minimum, info.maximum);
}

GenericEffectEditor::GenericEffectEditor(CTransformPlugin& effect, QWidget* parent)
    : QWidget(parent), m_effect(effect)
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    const uint32_t count = effect.parameterCount();
    // Our own effects' names and units are in the language pack, an LV2 plug-in's are not.
    m_translate = PluginTexts::translatable(effect);
    for (uint32_t i = 0; i < count; ++i) {
        m_infos.push_back(effect.parameterInfo(i));
        const EffectParameterInfo& info = m_infos.back();
        const int index = int(i);
        const int row = (index / kColumns) * 3;
        const int column = index % kColumns;
        auto* name = new QLabel(m_translate ? PluginTexts::effectText(info.name) : QString::fromStdString(info.name));
        name->setWordWrap(true);
        name->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        name->setFixedWidth(72);
        grid->addWidget(name, row, column, Qt::AlignHCenter | Qt::AlignBottom);
        Control c;
        c.value = new QLabel;
        c.value->setAlignment(Qt::AlignHCenter);
        if (info.kind == QUILLON_FX_PARAM_SWITCH) {
            c.box = new QCheckBox;
            connect(c.box, &QCheckBox::clicked, this,
                    [this, index](bool on) { userChanged(index, on ? 1.0f : 0.0f); });
            grid->addWidget(c.box, row + 1, column, Qt::AlignHCenter);
        } else {
            c.slider = new CLevelSlider;
            if (stepsAreWhole(info)) {
                c.slider->setMinimum(int16_t(std::ceil(info.minimum)));
                c.slider->setMaximum(int16_t(std::floor(info.maximum)));
            } else {
                c.slider->setMinimum(0);
                c.slider->setMaximum(kSteps);
            }
            c.slider->setFixedSize(24, 110);
            connect(c.slider, &CLevelSlider::valueChanged, this,
                    [this, index](short position) { userChanged(index, valueAt(m_infos[size_t(index)], position)); });
            grid->addWidget(c.slider, row + 1, column, Qt::AlignHCenter);
        }
        grid->addWidget(c.value, row + 2, column, Qt::AlignHCenter | Qt::AlignTop);
        m_controls.push_back(c);
    }
    reload();
}

QWidget* GenericEffectEditor::control(int index) const
{
    if (index < 0 || index >= parameterCount())
        return nullptr;
    const Control& c = m_controls[size_t(index)];
    return c.slider ? static_cast<QWidget*>(c.slider) : c.box;
}

QString GenericEffectEditor::valueText(int index) const
{
    return index >= 0 && index < parameterCount() ? m_controls[size_t(index)].value->text() : QString();
}

void GenericEffectEditor::reload()
{
    for (int i = 0; i < parameterCount(); ++i) {
        const float v = m_effect.parameter(uint32_t(i));
        Control& c = m_controls[size_t(i)];
        if (c.box)
            c.box->setChecked(v > 0.5f);
        else
            c.slider->setValue(int16_t(positionOf(m_infos[size_t(i)], v)));
        showValue(i, v);
    }
}

void GenericEffectEditor::userChanged(int index, float value)
{
    emit aboutToEdit(index);
    m_effect.setParameter(uint32_t(index), value);
    // The effect clamps and may round: show what it took.
    showValue(index, m_effect.parameter(uint32_t(index)));
    emit edited(index);
}

void GenericEffectEditor::showValue(int index, float value)
{
    const EffectParameterInfo& info = m_infos[size_t(index)];
    QString text;
    if (info.kind == QUILLON_FX_PARAM_SWITCH)
        text = value > 0.5f ? tr("On") : tr("Off");
    else
        text = QString::number(double(value), 'g', 4);
    if (!info.unit.empty() && info.kind != QUILLON_FX_PARAM_SWITCH)
        text += QLatin1Char(' ') + (m_translate ? PluginTexts::effectText(info.unit) : QString::fromStdString(info.unit));
    m_controls[size_t(index)].value->setText(text);
}

} // namespace quillon
