#pragma once

#include "exercises/story/StoryWindow.h"

#include <QPixmap>

#include <vector>
#include <memory>

class QToolButton;

// Exercise 3: a story with a strip of pictures, one for each of its sentences.
// The strip shows the picture of the sentence being worked on between its
// neighbours; two arrows page through the pictures by hand.
class b07d3 final : public StoryWindow
{
public:
    b07d3(Services services, ExerciseOpener &opener);

private:
    void buildExtras(QWidget &client) override;
    void releaseExtras() override { ui.reset(); }
    void gapFocused(int n) override;
    void showPersonChoice(bool shown) override;
    int lastPicture() const;

    // Shows the picture of the current gap's sentence.
    void kepvalt();
    // Shows picture PictureNo in the centre of the strip, its neighbours beside it.
    void kepvalt3();
    void showPicture(QLabel *slot, int picture);
    void Image4_Click();
    void Image5_Click();

    int PictureNo = 0;
    // Where the arrows stand: 0 until they are first used, then 1 to 9. The
    // arrows go on from here when the window is opened again.
    int BrowseNo = 0;

    std::vector<QPixmap> Image6;
    // The picture strip and its arrows, from build to unload.
    struct Widgets
    {
        QLabel *Label1 = nullptr; // names the person field
        QLabel *Image1 = nullptr;
        QLabel *Image2 = nullptr;
        QLabel *Image3 = nullptr;
        QToolButton *Image4 = nullptr;
        QToolButton *Image5 = nullptr;
    };
    std::unique_ptr<Widgets> ui;
};
