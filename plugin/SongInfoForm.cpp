#include "plugin/SongInfoForm.h"

Tsonginfoform::Tsonginfoform(TComponent* Owner) : TComponent(Owner), Window(PluginCreateSongInfoWindow())
{
    Name = "songinfoform";
}

Tsonginfoform::~Tsonginfoform() = default;

void Tsonginfoform::SetSongTitle(const std::string& Text)
{
    if (Window) {
        Window->SetTitle(Text);
    }
}

void Tsonginfoform::SetSongMessage(const std::vector<std::string>& Lines)
{
    if (Window) {
        Window->SetMessageLines(Lines);
    }
}

bool Tsonginfoform::Visible() const
{
    return Window && Window->IsVisible();
}

void Tsonginfoform::Show()
{
    if (Window) {
        Window->Show();
    }
}

void Tsonginfoform::BringToFront()
{
    if (Window) {
        Window->BringToFront();
    }
}
