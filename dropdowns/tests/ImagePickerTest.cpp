#include "dropdowns/VarAzadeViveriVuveDove.h"

#include "platform/forms/Forms.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/Jpeg.h"
#include "platform/testing/Harness.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

std::unique_ptr<TBitmap> SolidBitmap(Integer W, Integer H, TColor Color)
{
    std::unique_ptr<TBitmap> B(New<TBitmap>());
    B->SetSize(W, H);
    B->Canvas()->Brush()->SetColor(Color);
    B->Canvas()->FillRect(TRect{0, 0, W, H});
    return B;
}

class ImagePickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 500, 400);
        Form->Show();
        P = New<TVarAzadeViveriVuveDove>(Form);
        P->SetParent(Form);
        P->SetBounds(20, 20, 200, 24);
        P->OnSelect = [this](TObject*) { ++Selects; };
        // Two 16x16 images: green and blue.
        Images = New<TImageList>(Form);
        Images->SetWidth(16);
        Images->SetHeight(16);
        auto Strip = SolidBitmap(32, 16, 0x00FF00);
        Strip->Canvas()->Brush()->SetColor(0xFF0000);
        Strip->Canvas()->FillRect(TRect{16, 0, 32, 16});
        Images->Add(Strip.get(), nullptr);
        P->SetImages(Images);
        PumpUntilIdle();
        P->SetFocus();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    void Open()
    {
        uitest::AdvanceTime(300);
        PressKey(VK_F4);
        ASSERT_TRUE(P->DroppedDown());
    }
    // The colour at the middle of the edit part.
    COLORREF EditCentre()
    {
        PumpUntilIdle();
        const TRect R = P->GetEditRect();
        // The image is drawn into the whole window, whose frame is 2 pixels wide.
        return uitest::PixelAt(P->Handle(), (R.Left + R.Right) / 2 - 2, (R.Top + R.Bottom) / 2 - 2);
    }

    TForm* Form = nullptr;
    TVarAzadeViveriVuveDove* P = nullptr;
    TImageList* Images = nullptr;
    int Selects = 0;
};

TEST_F(ImagePickerTest, ValueAndEditPart)
{
    P->AddImagesFromImageList();
    P->AddImagesFromImageList(); // appended again
    ASSERT_EQ(P->Items()->Count(), 4);
    EXPECT_EQ(P->Items()->Items(3)->ImageIndex(), 1);
    EXPECT_EQ(P->ImageIndex(), -1);

    P->SetImageIndex(1);
    EXPECT_EQ(P->ItemIndex(), 1);
    EXPECT_EQ(Selects, 1);
    EXPECT_EQ(EditCentre(), 0xFF0000u);
    P->SetItemIndex(1); // unchanged: nothing fires
    EXPECT_EQ(Selects, 1);
    // An image index no item has: no choice, an empty edit part.
    P->SetImageIndex(5);
    EXPECT_EQ(P->ItemIndex(), -1);
    EXPECT_EQ(Selects, 2);
    EXPECT_NE(EditCentre(), 0xFF0000u);
    P->SetImageIndex(5);
    EXPECT_EQ(Selects, 2);
    // An item's own picture wins over its image index.
    auto Red = SolidBitmap(10, 10, 0x0000FF);
    P->Items()->Items(0)->Image()->SetBitmap(Red.get());
    P->SetItemIndex(0);
    EXPECT_EQ(P->ImageIndex(), 0);
    EXPECT_EQ(EditCentre(), 0x0000FFu);
}

TEST_F(ImagePickerTest, PopupByKeysMouseAndWheel)
{
    P->AddImagesFromImageList();
    P->AddImagesFromImageList();
    P->SetColumns(2);
    // Closed: the arrows and the wheel choose.
    PressKey(VK_DOWN);
    EXPECT_EQ(P->ItemIndex(), 0);
    uitest::Wheel(P->Handle(), 10, 10, -WHEEL_DELTA);
    EXPECT_EQ(P->ItemIndex(), 1);
    PressKey(VK_END);
    EXPECT_EQ(P->ItemIndex(), 3);
    PressKey(VK_HOME);
    EXPECT_EQ(P->ItemIndex(), 0);
    EXPECT_FALSE(P->DroppedDown());

    Open();
    TVadCustomItemSelector* S = P->ItemList();
    ASSERT_EQ(S->Parent(), P->DropDownForm());
    EXPECT_EQ(GetFocus(), P->Handle());
    // Two columns: Down moves a row, Right a column; the popup stays open.
    PressKey(VK_DOWN);
    EXPECT_EQ(P->ItemIndex(), 2);
    PressKey(VK_RIGHT);
    EXPECT_EQ(P->ItemIndex(), 3);
    EXPECT_TRUE(P->DroppedDown());
    // Esc goes back to the choice of the opening.
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(P->DroppedDown());
    EXPECT_EQ(P->ItemIndex(), 0);

    // The wheel moves the hot item; Enter chooses it and closes.
    Open();
    const int Before = Selects;
    uitest::Wheel(P->Handle(), 10, 10, -WHEEL_DELTA);
    uitest::Wheel(P->Handle(), 10, 10, -WHEEL_DELTA);
    EXPECT_EQ(S->GetItemHot(), 1);
    EXPECT_EQ(P->ItemIndex(), 0);
    PressKey(VK_RETURN);
    EXPECT_FALSE(P->DroppedDown());
    EXPECT_EQ(P->ItemIndex(), 1);
    EXPECT_EQ(Selects, Before + 1);

    // A click chooses and closes.
    Open();
    const TRect R = S->Panel()->GetItemRect(3);
    uitest::Click(S->Panel()->Handle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    EXPECT_FALSE(P->DroppedDown());
    EXPECT_EQ(P->ItemIndex(), 3);
    EXPECT_EQ(GetFocus(), P->Handle());
}

TEST_F(ImagePickerTest, TypeAheadByCaption)
{
    for (const char* C : {"Cherry", "Banana", "Blueberry"})
        P->Items()->Add()->SetCaption(C);
    Open();
    uitest::TypeText("bl");
    EXPECT_EQ(P->ItemIndex(), 2);
    EXPECT_TRUE(P->DroppedDown());
    uitest::AdvanceTime(600);
    uitest::TypeText("c");
    EXPECT_EQ(P->ItemIndex(), 0);
    // Closed as well.
    PressKey(VK_ESCAPE);
    uitest::AdvanceTime(600);
    uitest::TypeText("ba");
    EXPECT_EQ(P->ItemIndex(), 1);
}

// A folder of files a picker may meet: pictures, and files that are none or must not be read.
class ImageFolderTest : public ImagePickerTest {
protected:
    void SetUp() override
    {
        ImagePickerTest::SetUp();
        char Name[] = "/tmp/imagepickerXXXXXX";
        ASSERT_NE(mkdtemp(Name), nullptr);
        Dir = Name;
        SolidBitmap(12, 12, 0x0000FF)->SaveToFile(Dir + "/red.bmp");
        std::unique_ptr<TJPEGImage> Jpeg(New<TJPEGImage>());
        Jpeg->Assign(SolidBitmap(20, 10, 0x00FF00).get());
        Jpeg->SaveToFile(Dir + "/green.jpg");
        std::ofstream(Dir + "/notes.txt") << "not a picture";
        std::ofstream(Dir + "/broken.bmp") << "BM and then nothing a bitmap needs";
        std::ofstream(Dir + "/empty.bmp");
        std::filesystem::create_directory(Dir + "/folder.bmp");
        ASSERT_EQ(mkfifo((Dir + "/pipe.bmp").c_str(), 0600), 0);
        std::filesystem::create_symlink("/dev/zero", Dir + "/zero.bmp");
        // Larger than any picture the picker loads; sparse, so it costs no disk.
        std::ofstream(Dir + "/huge.bmp") << "BM";
        std::filesystem::resize_file(Dir + "/huge.bmp", std::uintmax_t(64) << 20);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(Dir);
        ImagePickerTest::TearDown();
    }
    std::string Dir;
};

TEST_F(ImageFolderTest, OnlyPicturesAreAdded)
{
    P->AddImagesFromFolder(Dir + "/*.*", true);
    std::set<std::string> Captions;
    for (Integer I = 0; I < P->Items()->Count(); ++I) {
        Captions.insert(P->Items()->Items(I)->Caption());
        EXPECT_FALSE(P->Items()->Items(I)->Image()->Graphic()->Empty());
    }
    EXPECT_EQ(Captions, (std::set<std::string>{"red.bmp", "green.jpg"}));

    // Without captions, by a narrower mask; a folder that does not exist adds nothing.
    P->Items()->Clear();
    P->AddImagesFromFolder(Dir + "/*.jpg", false);
    ASSERT_EQ(P->Items()->Count(), 1);
    EXPECT_EQ(P->Items()->Items(0)->Caption(), "");
    EXPECT_EQ(P->Items()->Items(0)->Image()->Width(), 20);
    P->AddImagesFromFolder(Dir + "/missing/*.*", true);
    EXPECT_EQ(P->Items()->Count(), 1);

    // The loaded pictures show in the popup and in the edit part.
    P->Items()->Clear();
    P->AddImagesFromFolder(Dir + "/red.bmp", false);
    Open();
    const TRect R = P->ItemList()->Panel()->GetItemRect(0);
    uitest::Click(P->ItemList()->Panel()->Handle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    EXPECT_EQ(P->ItemIndex(), 0);
    EXPECT_EQ(EditCentre(), 0x0000FFu);
}

} // namespace
