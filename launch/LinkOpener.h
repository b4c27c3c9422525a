// SPDX-License-Identifier: MIT
#pragma once

#include "store/Result.h"

#include <QObject>
#include <QString>
#include <functional>

// Hands a link to the desktop, which starts whatever is registered for it.
// The verb ("Open" for the client link, "open" for the homepage) is kept for
// platforms whose shell takes one. `done` tells whether the desktop took it;
// an error never quotes the link, which may carry a password.
class LinkOpener {
  public:
    using Done = std::function<void(const Status& opened)>;
    LinkOpener() = default;
    virtual ~LinkOpener() = default;
    LinkOpener(const LinkOpener&) = delete;
    LinkOpener& operator=(const LinkOpener&) = delete;
    virtual void open(const QString& verb, const QString& link, Done done) = 0;
};

// Linux desktops: for a teamspeak:// link asks xdg-mime whether a program is
// registered for it, then starts xdg-open detached with the link as its one
// argument, never through a shell and with none of our pipes, so that the
// program it starts lives on its own.
class XdgOpener : public QObject, public LinkOpener {
  public:
    explicit XdgOpener(QString opener = QStringLiteral("xdg-open"),
                       QString mime = QStringLiteral("xdg-mime"));
    void open(const QString& verb, const QString& link, Done done) override;

  private:
    void launch(const QString& link, const Done& done);
    QString m_opener;
    QString m_mime;
};
