// A history writer in a process of its own: opens the store at URL and adds COUNT snapshots of
// the radio SERIAL, one transaction each. It opens the store only when a line arrives on its
// standard input, so that a test can start several and let them go at the same moment.
// Exit status 0 when every snapshot was added; otherwise the store's reason on standard error.
#include "history/history_store.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char* argv[]) {
    const QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    bool countOk = false;
    const int count = arguments.size() == 4 ? arguments[2].toInt(&countOk) : 0;
    const auto url =
        arguments.size() == 4 ? kavrin::parseHistoryUrl(arguments[1]) : kavrin::historyUrlResult{};
    if (!url.url || !countOk || count < 0) {
        std::fprintf(stderr, "usage: history_writer URL COUNT SERIAL\n");
        return 2;
    }
    std::string go;
    std::getline(std::cin, go);

    kavrin::historyStore store(*url.url);
    if (!store.isOpen()) {
        std::fprintf(stderr, "%s\n", qPrintable(store.error()));
        return 1;
    }
    kavrin::radioRecord record;
    record.setSerialNo(arguments[3].toStdString());
    for (int i = 0; i < count; ++i) {
        auto snapshot = kavrin::makeSnapshot(record, QString::fromLatin1(kavrin::kOperationRead),
                                             QString::fromLatin1(kavrin::kOutcomeSucceeded));
        snapshot.detail = QString::number(i);
        const auto added = store.add(snapshot);
        if (!added) {
            std::fprintf(stderr, "snapshot %d: %s\n", i, qPrintable(added.error));
            return 1;
        }
    }
    return 0;
}
