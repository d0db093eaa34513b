#pragma once

// One running application per user session. The first start takes a lock file in the user's
// runtime folder and listens on a local socket beside it; a later start finds the lock taken,
// hands its "-p" project path (if any) over that socket to the first one and ends.

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace zelmo {

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    // `folder` holds the lock file and the socket; empty means the user's runtime folder (the
    // temporary folder when the session has none).
    explicit CSingleInstance(QString folder = {}, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // Takes the lock and starts listening. False when another instance holds it.
    bool Acquire();

    // From a refused start: sends `projectPath` to the running instance. False when it could not
    // be delivered within `timeoutMs`.
    bool HandOver(const QString& projectPath, int timeoutMs = 2000) const;

    QString LockFilePath() const;
    QString SocketPath() const;

signals:
    // A later start asked this instance to open a project.
    void projectHandedOver(const QString& projectPath);

private:
    void ReadHandOver();

    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace zelmo
