#pragma once

#include <QString>

#include <functional>

class QUrl;
class QWidget;

// The questions the window's commands ask the user: which file to open or save, a message,
// and whether to save unsaved changes; and the pages it hands to the desktop to show. Each goes
// through a replaceable answerer, so that tests answer the dialogs without a user and see the
// pages without a browser opening.
namespace Prompts {

enum class FileMode { Open, Save };

struct FileQuestion {
    FileMode Mode = FileMode::Open;
    QString Caption;
    QString Filter;    // as the toolkit's file dialog takes it: "Scenarios (*.json)"
    QString Suggested; // the folder or file the dialog starts at
};

// The chosen file's path, or an empty string when the user cancelled.
QString ChooseFile(QWidget *Parent, const FileQuestion &Question);

enum class MessageKind { Information, Warning };
void ShowMessage(QWidget *Parent, MessageKind Kind, const QString &Title, const QString &Text);

enum class UnsavedAnswer { Save, Discard, Cancel };
UnsavedAnswer AskUnsaved(QWidget *Parent, const QString &Text);

// Has the desktop open the address with the user's default program (a local HTML file or a
// web page in the default browser). True when the desktop took it.
bool OpenUrl(const QUrl &Url);

// The answerers; an empty function restores the toolkit's own dialog (or desktop). Each setter
// returns the answerer it replaces.
using FileAnswerer = std::function<QString(const FileQuestion &)>;
using MessageAnswerer = std::function<void(MessageKind, const QString &Title, const QString &Text)>;
using UnsavedAnswerer = std::function<UnsavedAnswer(const QString &Text)>;
FileAnswerer SetFileAnswerer(FileAnswerer Answerer);
MessageAnswerer SetMessageAnswerer(MessageAnswerer Answerer);
UnsavedAnswerer SetUnsavedAnswerer(UnsavedAnswerer Answerer);
using UrlOpener = std::function<bool(const QUrl &)>;
UrlOpener SetUrlOpener(UrlOpener Opener);

} // namespace Prompts
