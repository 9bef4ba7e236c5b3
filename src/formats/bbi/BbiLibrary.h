#pragma once

#include <QString>

#include <bigWig.h>

// libBigWig, loaded when the first bigWig or bigBed file is opened rather than at start-up: it
// brings libcurl with its TLS, Kerberos and LDAP libraries, whose loading and set-up would cost
// every run of every command about 6 ms.
struct BbiLibrary {
    decltype(&bwIsBigWig) isBigWig;
    decltype(&bbIsBigBed) isBigBed;
    decltype(&bwOpen) openBigWig;
    decltype(&bbOpen) openBigBed;
    decltype(&bwClose) close;
    decltype(&bbGetSQL) autoSql;
    decltype(&bwOverlappingIntervalsIterator) intervals;
    decltype(&bbOverlappingEntriesIterator) entries;
    decltype(&bwIteratorNext) next;
    decltype(&bwIteratorDestroy) destroy;

    // The loaded and initialised library; null, with the reason, when it cannot be loaded.
    static const BbiLibrary* get(QString* error);
};
