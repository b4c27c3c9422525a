#pragma once

#include <QObject>
#include <QString>
#include <functional>

// Hands a link to the desktop, which starts whatever is registered for it.
// The verb ("Open" for the client link, "open" for the homepage) is kept for
// platforms whose shell takes one. `done` tells whether the desktop took it.
class LinkOpener {
  public:
    using Done = std::function<void(bool opened, const QString& why)>;
    LinkOpener() = default;
    virtual ~LinkOpener() = default;
    LinkOpener(const LinkOpener&) = delete;
    LinkOpener& operator=(const LinkOpener&) = delete;
    virtual void open(const QString& verb, const QString& link, Done done) = 0;
};

// Linux desktops: runs xdg-open with the link as its one argument, never
// through a shell, and without waiting for it. (A Windows build would put
// ShellExecute behind this same interface.)
class XdgOpener : public LinkOpener, public QObject {
  public:
    explicit XdgOpener(QString program = QStringLiteral("xdg-open"));
    void open(const QString& verb, const QString& link, Done done) override;

  private:
    QString m_program;
};
