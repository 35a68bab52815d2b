#pragma once
// A horizontal LED bar for a level: `setLevel` shows a 16-bit level in hundredths of
// a dB between kFloorDb and 0 dB (0 = full scale, -6000 = -60 dB; anything lower is
// dark), with a peak-hold LED that falls back after kHoldFeeds updates; `reset`
// darkens every LED and drops the hold. LEDs light green, then yellow from -12 dB and
// red from -3 dB, so a level "mostly in the yellow area" is a good recording level.
// User-interface thread only.

#include <QColor>
#include <QWidget>

#include <cstdint>

namespace quillon {

class CLEDMeter : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLeds = 30;
    static constexpr int kFloorDb = -6000;
    static constexpr int kYellowDb = -1200;
    static constexpr int kRedDb = -300;
    static constexpr int kHoldFeeds = 20;

    explicit CLEDMeter(QWidget* parent = nullptr);

    void setLevel(int16_t hundredthsDb);
    void reset();

    int16_t level() const { return m_level; }
    // LEDs lit for the level, 0 .. kLeds, and the held one (-1 none).
    int litLeds() const;
    int heldLed() const { return m_held; }
    // The colour of LED i when lit and when dark.
    static QColor ledColour(int index, bool lit);
    // The rectangle LED i is drawn in.
    QRect ledRect(int index) const;
    QSize sizeHint() const override { return {160, 12}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static int ledsFor(int hundredthsDb);

    int16_t m_level = kFloorDb;
    int m_held = -1;
    int m_holdAge = 0;
};

} // namespace quillon
