#pragma once

#include <QMutex>
#include <QQueue>
#include <QString>
#include <QThread>
#include <QUrl>

#include <memory>

class QTcpSocket;

namespace velmora::e2e {

// A small HTTP server on 127.0.0.1 with a thread of its own (the tests' thread may be blocked
// on AT-SPI while the browser loads): serves the test pages, and passes scripts to the page
// that is open. The page fetches /command for the next script, runs it, puts "step N" into its
// title and reports /done?seq=N.
class TestPageServer {
public:
    explicit TestPageServer(const QString& pagesDirectory);
    ~TestPageServer();

    QUrl url(const QString& page) const;
    // Queues a script; returns its sequence number.
    int post(const QString& script);
    // The highest sequence number the page has reported done.
    int lastDone() const;

private:
    struct Shared {
        mutable QMutex mutex;
        QQueue<std::pair<int, QString>> commands;
        int nextSeq = 1;
        int lastDone = 0;
    };
    static void answer(QTcpSocket* socket, const QString& pagesDirectory, Shared& shared);

    std::shared_ptr<Shared> shared_;
    QThread thread_;
    QObject* worker_ = nullptr; // lives on thread_, owns the listening server and its sockets
    quint16 port_ = 0;
};

} // namespace velmora::e2e
