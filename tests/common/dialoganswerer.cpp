#include "dialoganswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>

#include <algorithm>

namespace {

// Short enough not to slow a test down, long enough not to spin a core
// while a slot waits for a program.
constexpr int lookAgainMs = 10;

// The deepest directory of path that exists, so that a name in a missing
// folder can still be typed relative to it.
QString existingAncestor(const QString &path)
{
    QString dir = QFileInfo(path).absolutePath();
    while (!QFileInfo(dir).isDir() && !QDir(dir).isRoot())
        dir = QFileInfo(dir).absolutePath();
    return dir;
}

} // namespace

DialogAnswerer::DialogAnswerer(Mode mode)
    : m_mode(mode)
{
    lookSoon(0);
}

void DialogAnswerer::chooseFile(const QString &path)
{
    answerFileDialog(path, false);
}

void DialogAnswerer::chooseFileUnchecked(const QString &path)
{
    answerFileDialog(path, true);
}

void DialogAnswerer::answerFileDialog(const QString &path, bool unchecked)
{
    m_answers << [this, path, unchecked](QDialog *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog)
            return false;
        m_titles << dialog->windowTitle();
        m_fileFilters << dialog->nameFilters().join(u';');
        if (path.isEmpty()) {
            dialog->reject();
            return true;
        }
        const QString base = existingAncestor(path);
        dialog->setDirectory(base);
        const QString name = QDir(base).relativeFilePath(path);
        dialog->selectFile(name);
        // selectFile() leaves the name field alone while it has the focus,
        // which it may have got by the time the dialog is answered.
        if (auto *nameField = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            nameField->setText(name);
        QDialog *plain = dialog;
        if (unchecked)
            plain->done(QDialog::Accepted);
        else
            plain->accept();
        return true;
    };
}

void DialogAnswerer::acceptMessageBox()
{
    m_answers << [this](QDialog *dialog) { return acceptBox(dialog); };
}

bool DialogAnswerer::acceptBox(QDialog *dialog)
{
    auto *box = qobject_cast<QMessageBox *>(dialog);
    if (!box)
        return false;
    m_titles << box->windowTitle();
    m_messages << box->text();
    if (QAbstractButton *ok = box->button(QMessageBox::Ok))
        ok->click();
    else
        box->accept();
    return true;
}

void DialogAnswerer::clickButton(const QString &text)
{
    m_answers << [this, text](QDialog *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        if (!box)
            return false;
        const QList<QAbstractButton *> buttons = box->buttons();
        const auto button = std::find_if(buttons.begin(), buttons.end(),
                                         [&text](const QAbstractButton *b) { return b->text() == text; });
        if (button == buttons.end())
            return false;
        m_titles << box->windowTitle();
        m_messages << box->text();
        (*button)->click();
        return true;
    };
}

void DialogAnswerer::rejectNext()
{
    m_answers << [this](QDialog *dialog) {
        m_titles << dialog->windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            m_messages << box->text();
        dialog->reject();
        return true;
    };
}

void DialogAnswerer::lookSoon(int delayMs)
{
    QTimer::singleShot(delayMs, this, &DialogAnswerer::look);
}

void DialogAnswerer::look()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && !qobject_cast<QProgressDialog *>(modal) && !answer(qobject_cast<QDialog *>(modal)))
        refuse(modal);
    lookSoon(lookAgainMs);
}

bool DialogAnswerer::answer(QDialog *dialog)
{
    if (!dialog)
        return false;
    if (m_answers.isEmpty())
        return m_mode == AcceptMessageBoxes && acceptBox(dialog);
    if (!m_answers.first()(dialog))
        return false;
    m_answers.removeFirst();
    return true;
}

void DialogAnswerer::refuse(QWidget *modal)
{
    const QString title = modal->windowTitle();
    m_unexpected << title;
    if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->reject();
    else
        modal->close();
    QTest::qFail(qPrintable(QStringLiteral("unexpected dialog \"%1\"").arg(title)), __FILE__, __LINE__);
}
