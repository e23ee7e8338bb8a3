// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ErrorCatalogue.h"
#include "platform/TestSeams.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include <new>

namespace errlog {

// One line of the error log, without its CR LF:
// "date", "time", Unit, Procedure, message
QString logLine(const QDate &date, const QTime &time, const QLocale &locale, const char *label,
                const QString &message);

// Appends one line for the failure with this number to Levrun.VNL in the
// current directory: opened, written and closed within this call. When the log
// cannot be written the line goes to standard error instead.
void LogError(const char *label, int number) noexcept;

// Every procedure arms one of these, with its own label, as its first statement.
// Each statement that can fail runs inside attempt(): a failure writes one log
// line and the procedure goes on with its next statement. Nothing escapes.
class Guard
{
public:
    explicit Guard(const char *label) noexcept
        : m_label(label)
    {
    }

    template <typename Statement>
    void attempt(Statement &&statement) noexcept
    {
        try {
            ++m_statement;
            if (platform::seams::refuseStatement &&
                platform::seams::refuseStatement(m_label, m_statement))
                platform::fail(platform::ApplicationDefined);
            statement();
        } catch (const platform::Failure &failure) {
            LogError(m_label, failure.number());
        } catch (const std::bad_alloc &) {
            LogError(m_label, platform::OutOfMemory);
        } catch (...) {
            LogError(m_label, platform::ApplicationDefined);
        }
    }

private:
    const char *m_label;
    int m_statement = 0;
};

} // namespace errlog
