#pragma once

#include <string>
#include <system_error>

namespace vemo::decksim {

// The deck's end of the line: a pseudo-terminal whose slave side the console opens through
// a symbolic link. The simulator keeps a slave descriptor of its own open so that the line
// does not hang up while the console closes and reopens it.
class PtyLine {
  public:
    PtyLine() = default;
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // Creates the pty with the deck line's settings; throws std::system_error.
    void open();
    // Points link at the slave, replacing an existing symbolic link (never another kind of
    // file); throws std::system_error or std::runtime_error.
    void publish(const std::string& link);
    // Removes the link when it still points at this line.
    void unpublish();
    // Pulls the line as an unplugged adapter goes: the link and the pty are gone, and the
    // console's descriptor is hung up. open() and publish() plug a new one in.
    void pull();
    // A stalled line takes no bytes from the console (its writes wait) until freed.
    void setStalled(bool stalled);

    // A console that closed the line cannot reopen it while its exclusive-use flag stays
    // set (a real port loses the flag at its last close; this one never closes fully).
    void clearExclusive();

    int master() const { return master_; }
    const std::string& slaveName() const { return slaveName_; }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
    std::string link_;
};

}  // namespace vemo::decksim
