#include "ui/level_control.h"

#include <QWheelEvent>

#include <algorithm>

namespace quillon {

LevelControl::LevelControl(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }

void LevelControl::setMinimum(int16_t minimum)
{
    m_minimum = minimum;
    if (m_maximum < m_minimum)
        std::swap(m_minimum, m_maximum);
    m_value = int16_t(clamp(m_value));
    update();
}

void LevelControl::setMaximum(int16_t maximum)
{
    m_maximum = maximum;
    if (m_maximum < m_minimum)
        std::swap(m_minimum, m_maximum);
    m_value = int16_t(clamp(m_value));
    update();
}

void LevelControl::setValue(int16_t value)
{
    m_value = int16_t(clamp(value));
    update();
}

int LevelControl::clamp(int value) const { return std::clamp<int>(value, m_minimum, m_maximum); }

int LevelControl::pageStep() const { return std::max(1, (int(m_maximum) - int(m_minimum)) / 10); }

void LevelControl::userSet(int value)
{
    const int16_t v = int16_t(clamp(value));
    if (v == m_value)
        return;
    m_value = v;
    update();
    emit valueChanged(v);
}

void LevelControl::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        userSet(m_value + steps);
    event->accept();
}

} // namespace quillon
