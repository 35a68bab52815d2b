#pragma once
// "Wizard": a header with "Step %d of %d:" and the current page's description, the
// pages one at a time, and "< &Previous", "&Next >" and a third button that reads
// "Finish" or "Cancel". The pages set the flag word: bit 0 enables Previous, bit 1
// Next, bit 2 makes the third button Finish.
//
// Threads: user-interface thread.

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace quillon {

class WizardFrame;

// A page of the wizard; the frame shows one at a time.
class WizardPage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual QString description() const = 0;
    // Shown: sets the frame's flags.
    virtual void activate(WizardFrame& frame) = 0;
    // Hidden by Next or Previous.
    virtual void leave() {}
};

class WizardFrame : public QDialog {
    Q_OBJECT
public:
    enum Flag { kPrevious = 1, kNext = 2, kFinish = 4 };
    static constexpr const char* kStepText = "Step %1 of %2:";

    WizardFrame(const QString& caption, QWidget* parent = nullptr);

    // Pages in order; the frame owns them.
    void addPage(WizardPage* page);
    // Shows the first page.
    void start();
    void setFlags(int flags);
    int flags() const { return m_flags; }
    int currentIndex() const { return m_current; }
    WizardPage* currentPage() const;

    void next();
    void previous();
    // The third button: Finish or Cancel.
    void third();

    QPushButton* previousButton() const { return m_previous; }
    QPushButton* nextButton() const { return m_next; }
    QPushButton* thirdButton() const { return m_third; }
    QLabel* stepLabel() const { return m_step; }

signals:
    // Finish was pressed on the last page (before the frame closes).
    void finishing();

private:
    void showPage(int index);

    std::vector<WizardPage*> m_pages;
    int m_current = -1;
    int m_flags = 0;
    QLabel* m_step = nullptr;
    QLabel* m_description = nullptr;
    QStackedWidget* m_stack = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_third = nullptr;
};

} // namespace quillon
