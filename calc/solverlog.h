#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QIODevice;

// The solver's run log "euler.log" as the front end reads it while the run
// goes on: the target, the crank angle reached, the reason of a failure and
// the last line of a run that ended.
namespace SolverLog {

// What the log has said so far.
struct State
{
    enum class End { None, Finished, Stopped };

    std::optional<double> target;  // deg, from the line that opens the run
    std::optional<double> reached; // deg, from the latest progress line
    QString error;                 // the reason of the latest "ERROR:" line
    End end = End::None;
    int exitStatus = 0;            // of a stopped run

    bool operator==(const State &other) const;
    bool operator!=(const State &other) const { return !(*this == other); }
};

// Reads the log line by line while another process appends to it. Lines end
// in LF; a CR before the LF is dropped. An unfinished last line waits for its
// end, since "crank angle 12" may still become "crank angle 120".
class Reader
{
public:
    // Reads what the device holds from its position on. False, with the
    // device's reason in errorString(), when it cannot be read.
    bool read(QIODevice &device);
    // The writer has gone: an unfinished last line counts as it stands.
    void finish();
    // Forgets everything read: the log is read again from its start.
    void reset();

    const State &state() const { return m_state; }
    QString errorString() const { return m_error; }

private:
    void takeLine(QByteArray line);

    State m_state;
    QByteArray m_unfinished;
    QString m_error;
};

// A whole log at once, as it stands; nullopt with the reason in *error when
// the device cannot be read.
std::optional<State> parse(QIODevice &device, QString *error = nullptr);

} // namespace SolverLog
