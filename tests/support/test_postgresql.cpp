// The tests' PostgreSQL helpers: the fixture server's state file read, a database made for each
// caller, a free port for a server that is down.
#include "support/test_postgresql.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <arpa/inet.h>
#include <atomic>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace kavrin::test {
namespace {

struct Server {
    QString host;
    int port = 0;
    QString user;
    QString refusedUser;

    QString url(const QString& role, const QString& database) const {
        return QStringLiteral("postgresql://%1@%2:%3/%4").arg(role, host).arg(port).arg(database);
    }
};

// The server the fixture started, or a failure saying why there is none.
std::optional<Server> fixtureServer() {
    const QString path = qEnvironmentVariable(kPostgresqlStateVariable);
    if (path.isEmpty()) {
        ADD_FAILURE() << kPostgresqlStateVariable
                      << " is not set: this test needs the PostgreSQL server of the CTest "
                         "fixture `postgresql`; run it through ctest, or register its program "
                         "with kavrin_add_test(... REQUIRES_POSTGRESQL ...)";
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        ADD_FAILURE() << "no PostgreSQL server for the tests: cannot read " << path.toStdString()
                      << " (" << file.errorString().toStdString()
                      << "); did the test postgresql_start run and pass?";
        return std::nullopt;
    }
    QHash<QString, QString> fields;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0) {
            fields.insert(line.left(equals), line.mid(equals + 1));
        }
    }
    Server server{
        fields.value(QStringLiteral("host")), fields.value(QStringLiteral("port")).toInt(),
        fields.value(QStringLiteral("user")), fields.value(QStringLiteral("refused_user"))};
    if (server.host.isEmpty() || server.port <= 0 || server.user.isEmpty() ||
        server.refusedUser.isEmpty()) {
        ADD_FAILURE() << "the PostgreSQL state file " << path.toStdString()
                      << " lacks host, port, user or refused_user";
        return std::nullopt;
    }
    return server;
}

QString uniqueDatabaseName() {
    static std::atomic<unsigned> counter{0};
    // Lower case, so that the name needs no quoting; the process id and the random part keep
    // parallel test programs apart.
    return QStringLiteral("kavrin_%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(counter.fetch_add(1))
        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

} // namespace

QString freshPostgresqlDatabase() {
    const auto server = fixtureServer();
    if (!server) {
        return {};
    }
    const QString name = uniqueDatabaseName();
    const QString connection = QStringLiteral("kavrin-test-admin-") + name;
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(server->host);
        db.setPort(server->port);
        db.setUserName(server->user);
        db.setDatabaseName(QStringLiteral("postgres"));
        db.setConnectOptions(QStringLiteral("connect_timeout=10"));
        if (!db.open()) {
            error = QStringLiteral("cannot reach the fixture's PostgreSQL server at %1:%2: %3")
                        .arg(server->host)
                        .arg(server->port)
                        .arg(db.lastError().text());
        } else {
            QSqlQuery query(db);
            if (!query.exec(QStringLiteral("CREATE DATABASE ") + name)) {
                error = QStringLiteral("cannot create the database %1: %2")
                            .arg(name, query.lastError().text());
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    if (!error.isEmpty()) {
        ADD_FAILURE() << error.toStdString();
        return {};
    }
    return server->url(server->user, name);
}

QString refusedPostgresqlUrl() {
    const auto server = fixtureServer();
    return server ? server->url(server->refusedUser, QStringLiteral("postgres")) : QString();
}

QString downPostgresqlUrl() {
    // A port the kernel hands out is free the moment the socket closes; as the fixture's servers
    // take theirs below the ephemeral range, none of them starts listening on it.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = fd >= 0 &&
                       ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!bound) {
        ADD_FAILURE() << "cannot find a free loopback port";
        return {};
    }
    return QStringLiteral("postgresql://kavrin_test@127.0.0.1:%1/postgres")
        .arg(ntohs(address.sin_port));
}

} // namespace kavrin::test
