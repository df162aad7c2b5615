#include "platform/Prompts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace Prompts {

namespace {

FileAnswerer &FileHook() {
    static FileAnswerer hook;
    return hook;
}

MessageAnswerer &MessageHook() {
    static MessageAnswerer hook;
    return hook;
}

UnsavedAnswerer &UnsavedHook() {
    static UnsavedAnswerer hook;
    return hook;
}

UrlOpener &UrlHook() {
    static UrlOpener hook;
    return hook;
}

template <typename Hook> Hook Replace(Hook &current, Hook next) {
    Hook previous = std::move(current);
    current = std::move(next);
    return previous;
}

} // namespace

QString ChooseFile(QWidget *Parent, const FileQuestion &Question) {
    if (FileHook()) {
        return FileHook()(Question);
    }
    if (Question.Mode == FileMode::Open) {
        return QFileDialog::getOpenFileName(Parent, Question.Caption, Question.Suggested,
                                            Question.Filter);
    }
    return QFileDialog::getSaveFileName(Parent, Question.Caption, Question.Suggested,
                                        Question.Filter);
}

void ShowMessage(QWidget *Parent, MessageKind Kind, const QString &Title, const QString &Text) {
    if (MessageHook()) {
        MessageHook()(Kind, Title, Text);
        return;
    }
    if (Kind == MessageKind::Warning) {
        QMessageBox::warning(Parent, Title, Text);
    } else {
        QMessageBox::information(Parent, Title, Text);
    }
}

UnsavedAnswer AskUnsaved(QWidget *Parent, const QString &Text) {
    if (UnsavedHook()) {
        return UnsavedHook()(Text);
    }
    const QMessageBox::StandardButton button = QMessageBox::question(
        Parent, QStringLiteral("TimeSpace Diagram"), Text,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (button == QMessageBox::Save) {
        return UnsavedAnswer::Save;
    }
    return button == QMessageBox::Discard ? UnsavedAnswer::Discard : UnsavedAnswer::Cancel;
}

bool OpenUrl(const QUrl &Url) {
    if (UrlHook()) {
        return UrlHook()(Url);
    }
    return QDesktopServices::openUrl(Url);
}

FileAnswerer SetFileAnswerer(FileAnswerer Answerer) {
    return Replace(FileHook(), std::move(Answerer));
}

MessageAnswerer SetMessageAnswerer(MessageAnswerer Answerer) {
    return Replace(MessageHook(), std::move(Answerer));
}

UnsavedAnswerer SetUnsavedAnswerer(UnsavedAnswerer Answerer) {
    return Replace(UnsavedHook(), std::move(Answerer));
}

UrlOpener SetUrlOpener(UrlOpener Opener) {
    return Replace(UrlHook(), std::move(Opener));
}

} // namespace Prompts
