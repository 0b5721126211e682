// The song information window outside Windows: nothing is shown, its state
// is kept in the record (SongInfoWindowRecord.h).

#include <mutex>

#include "plugin/SongInfoWindow.h"
#include "plugin/SongInfoWindowRecord.h"

namespace {

std::mutex RecordLock;
TRecordedInfoWindow Record;

template <class Change> void Note(Change&& Apply)
{
    std::lock_guard<std::mutex> guard(RecordLock);
    Apply(Record);
}

class TRecordedSongInfoWindow : public TSongInfoWindow {
public:
    TRecordedSongInfoWindow()
    {
        Note([](TRecordedInfoWindow& r) {
            ++r.Created;
            ++r.Alive;
            r.Visible = false;
            r.Title.clear();
            r.Lines.clear();
        });
    }
    ~TRecordedSongInfoWindow() override
    {
        Note([](TRecordedInfoWindow& r) {
            --r.Alive;
            r.Visible = false;
        });
    }
    void SetTitle(const std::string& Text) override
    {
        Note([&](TRecordedInfoWindow& r) { r.Title = Text; });
    }
    void SetMessageLines(const std::vector<std::string>& Lines) override
    {
        Note([&](TRecordedInfoWindow& r) { r.Lines = Lines; });
    }
    bool IsVisible() const override
    {
        std::lock_guard<std::mutex> guard(RecordLock);
        return Record.Visible;
    }
    void Show() override
    {
        Note([](TRecordedInfoWindow& r) {
            if (!r.Visible) {
                ++r.ShowCount;
            }
            r.Visible = true;
        });
    }
    void BringToFront() override
    {
        Note([](TRecordedInfoWindow& r) { ++r.BringToFrontCount; });
    }
    void Hide() override
    {
        Note([](TRecordedInfoWindow& r) { r.Visible = false; });
    }
};

}  // namespace

std::unique_ptr<TSongInfoWindow> PluginCreateSongInfoWindow()
{
    return std::make_unique<TRecordedSongInfoWindow>();
}

TRecordedInfoWindow SongInfoWindowRecordSnapshot()
{
    std::lock_guard<std::mutex> guard(RecordLock);
    return Record;
}

void SongInfoWindowRecordReset()
{
    std::lock_guard<std::mutex> guard(RecordLock);
    const TRecordedInfoWindow window = Record;
    Record = {};
    Record.Alive = window.Alive;
    if (window.Alive > 0) {
        Record.Visible = window.Visible;
        Record.Title = window.Title;
        Record.Lines = window.Lines;
    }
}

void SongInfoWindowRecordClose()
{
    Note([](TRecordedInfoWindow& r) { r.Visible = false; });
}
