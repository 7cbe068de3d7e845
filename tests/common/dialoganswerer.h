#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QDialog;
class QWidget;

// Answers the modal dialogs that open while it lives. It looks from a timer
// that re-arms itself, so dialogs opened inside local event loops (a nested
// dialog, a program being waited for) are answered too.
//
// Queued answers are used in order; a dialog the next one does not fit fails
// the running test. Without a queued answer a message box is accepted, unless
// the answerer is strict; a progress dialog is left to the code that shows it;
// any other dialog is rejected and fails the test instead of hanging it.
class DialogAnswerer : public QObject
{
public:
    enum Mode { AcceptMessageBoxes, Strict };
    explicit DialogAnswerer(Mode mode = AcceptMessageBoxes);

    // In a file dialog: selects path and accepts; an empty path cancels.
    void chooseFile(const QString &path);
    // As chooseFile, but closes the dialog as accepted without its own checks,
    // for names it would not let through.
    void chooseFileUnchecked(const QString &path);
    void acceptMessageBox();
    // In a message box: clicks the button that shows this text.
    void clickButton(const QString &text);
    // Cancels whatever dialog comes next.
    void rejectNext();

    int pendingAnswers() const { return int(m_answers.size()); }
    // Window titles of every dialog answered, in order.
    const QStringList &titles() const { return m_titles; }
    // Texts of the message boxes answered, in order.
    const QStringList &messages() const { return m_messages; }
    // Name filters of the file dialogs answered, joined by ';'.
    const QStringList &fileFilters() const { return m_fileFilters; }
    // Window titles of the dialogs refused, for a test to stop at once.
    const QStringList &unexpected() const { return m_unexpected; }

private:
    using Answer = std::function<bool(QDialog *)>;

    void lookSoon(int delayMs);
    void look();
    bool answer(QDialog *dialog);
    bool acceptBox(QDialog *dialog);
    void answerFileDialog(const QString &path, bool unchecked);
    void refuse(QWidget *modal);

    const Mode m_mode;
    QList<Answer> m_answers;
    QStringList m_titles;
    QStringList m_messages;
    QStringList m_fileFilters;
    QStringList m_unexpected;
};
