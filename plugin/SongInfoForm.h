#pragma once
// The song information window's form: its fixed layout and what it shows.
// The window itself is each system's own (TSongInfoWindow).

#include <memory>
#include <string>
#include <vector>

#include "plugin/SongInfoWindow.h"
#include "plugin/kit/Component.h"

// The form's layout, pixels at 96 pixels per inch.
struct TSongInfoLayout {
    static constexpr const char* Caption = "Morvel - Song information";
    static constexpr int Left = 452, Top = 273, ClientWidth = 377, ClientHeight = 314;
    static constexpr const char* FormFont = "MS Sans Serif";
    static constexpr int FormFontHeight = -11;
    static constexpr const char* TitleGroupCaption = "Song Title";
    static constexpr TControlBounds TitleGroup{8, 8, 361, 46};
    static constexpr TControlBounds TitleEdit{8, 16, 345, 21};
    static constexpr const char* MessageGroupCaption = "Songmessage";
    static constexpr TControlBounds MessageGroup{8, 60, 361, 246};
    static constexpr TControlBounds MessageMemo{8, 16, 345, 225};
    // The face of the song's own font, two trailing blanks included.
    static constexpr const char* TextFont = "Quorlith vuravi  ";
    static constexpr int TextFontHeight = -13;
};

class Tsonginfoform : public TComponent {
public:
    explicit Tsonginfoform(TComponent* Owner);
    ~Tsonginfoform() override;

    void SetSongTitle(const std::string& Text);
    void SetSongMessage(const std::vector<std::string>& Lines);
    bool Visible() const;
    void Show();
    void BringToFront();

private:
    std::unique_ptr<TSongInfoWindow> Window;
};
