#pragma once

#include "source/registry/PrecomputeJob.h"

#include <QString>

#include <htslib/tbx.h>

// Makes a tab-delimited text file queryable by region the way bgzip and tabix do: a plain file is
// compressed with BGZF into a copy beside it, then the ".tbi" tabix index of the compressed file is
// built. Both files are written under temporary names and put in place together at the end.
class TabixIndexBuilder {
public:
    // textPath is read; bgzipPath is the BGZF file to index, written from textPath when they differ.
    TabixIndexBuilder(QString textPath, QString bgzipPath, const tbx_conf_t& conf);

    // False with the reason: text compressed otherwise than with BGZF ("Not a BGZF file: %1"),
    // records out of order, a file that cannot be read or written.
    bool run(const PrecomputeProgress& progress, QString* error);

private:
    bool compress(const QString& writePath, const PrecomputeProgress& progress, QString* error) const;
    bool buildIndex(const QString& bgzipPath, const QString& indexPath, QString* error) const;

    QString m_textPath;
    QString m_bgzipPath;
    tbx_conf_t m_conf;
};
