// SPDX-License-Identifier: GPL-3.0-or-later
// The exerciser's run: the program folder and the file pool in a scratch
// folder, starting the editor, the step loop with its log, and settling the
// window after each step.
#include "exerciser/Exerciser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string_view>

#include "app/AppServices.h"
#include "app/MainWindow.h"
#include "document/EditorContext.h"
#include "gif/GIFImage.h"
#include "gif/SubImage.h"
#include "io/AviExport.h"
#include "platform/SettingsKeys.h"

namespace fl::exerciser {

namespace fs = std::filesystem;

namespace {

// The files open dialogs and desktop drops choose from, below the corpus
// folder. The largest corpus animation is left out: loading it takes longer
// than a hundred steps.
const char* const PoolFiles[] = {
    "animated/animated-red-blue.gif",
    "animated/muybridge.gif",
    "animated/gifplayer-muybridge.gif",
    "animated/unoptimized/gifplayer-muybridge.gif",
    "still/pjw-thumbnail.gif",
    "still/hippopotamus.interlaced.gif",
    "still/hibiscus.primitive.gif",
    "still/hibiscus.regular.bmp",
    "robustness/background-color.gif",
    "robustness/empty-palette.gif",
    "robustness/frame-out-of-bounds.gif",
    "robustness/hippopotamus.interlaced.truncated.gif",
    "robustness/multiple-loop-counts.gif",
    "robustness/no-frames.gif",
    "robustness/pixel-data-none.gif",
    "robustness/pixel-data-too-much-bad-lzw.gif",
    "robustness/transparent-index.gif",
    "robustness/zero-width-frame.gif",
};

// A short video of the first pool animation, for the import.
void WriteVideo(const std::string& gifPath, const std::string& aviPath)
{
    TGIFImage image;
    image.LoadFromFile(gifPath);
    if (!PrepareAviExport(image) || !ExportAvi(aviPath, image))
        throw std::runtime_error("could not write the exerciser's video " + aviPath);
}

uint64_t HashPixels(const uint8_t* pixels, size_t bytes)
{
    return std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(pixels), bytes));
}

} // namespace

std::vector<TFrameFacts> NonEmptyFrames(const TGIFImage& image)
{
    std::vector<TFrameFacts> frames;
    for (int i = 0; i < image.Frames.Count(); ++i) {
        const TGIFSubImage& frame = *image.Frames[i];
        if (!frame.IsEmpty())
            frames.push_back({frame.Left(), frame.Top(), frame.Width(), frame.Height(),
                              HashPixels(frame.Pixels(), frame.PixelBytes())});
    }
    return frames;
}

TExerciser::TExerciser(const TExerciserOptions& options)
    : options_(options), scratch_(std::make_unique<QTemporaryDir>())
{
    if (!scratch_->isValid())
        throw std::runtime_error("no scratch folder");
    programFolder_ = scratch_->filePath("program").toStdString() + "/";
    // Working copies go to a folder of the run's own: the ones another
    // program left behind are not offered back here.
    fs::create_directories(scratch_->filePath("tmp").toStdString());
    qputenv("TMPDIR", scratch_->filePath("tmp").toLocal8Bit());
    fs::create_directories(programFolder_ + "Images");
    if (!options_.CompanionLibrary.empty())
        fs::copy_file(options_.CompanionLibrary,
                      programFolder_ + fs::path(options_.CompanionLibrary).filename().string());
    PreparePool();

    logPath_ = options_.LogPath.empty() ? scratch_->filePath("steps.log").toStdString() : options_.LogPath;
    log_.open(logPath_, std::ios::trunc);
    modalWatch_ = std::make_unique<QTimer>();
    modalWatch_->setInterval(50);
    QObject::connect(modalWatch_.get(), &QTimer::timeout, [this] { CloseStrayModal(); });
    modalWatch_->start();
    // Half the seeds show the animation model's warnings, which ask
    // whether to go on.
    if (options_.Seed % 2 == 1)
        WriteIntegerSetting(settings_, KeyWarnings, 1);
    messages_.Log = [this](const std::string& line) { Note(line); };
    dialogs_.Log = [this](const std::string& line) { Note(line); };
    modals_.Log = [this](const std::string& line) { Note(line); };
    modals_.Busy = [this] { return messages_.BusyDepth() > 0; };
    StartProgram();
}

TExerciser::~TExerciser()
{
    window_.reset();
}

void TExerciser::PreparePool()
{
    // Copies: documents are saved over their own files.
    const fs::path pool = scratch_->filePath("pool").toStdString();
    fs::create_directories(pool);
    const fs::path corpus = options_.CorpusFolder;
    for (const char* name : PoolFiles) {
        const fs::path source = corpus / name;
        const fs::path target =
            pool / (fs::path(name).parent_path().filename().string() + "-" + source.filename().string());
        fs::copy_file(source, target, fs::copy_options::overwrite_existing);
        fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
        dialogs_.OpenPool.push_back(target.string());
    }
    const std::string video = (pool / "clip.avi").string();
    WriteVideo(dialogs_.OpenPool.front(), video);
    dialogs_.OpenPool.push_back(video);
    // The same video under another kind's name goes through the import of
    // any video, which reads what the file holds; a video that is none
    // must be refused there.
    const std::string otherKind = (pool / "clip.mkv").string();
    fs::copy_file(video, otherKind);
    dialogs_.OpenPool.push_back(otherKind);
    std::ofstream(pool / "broken.mp4") << "not a video";
    dialogs_.OpenPool.push_back((pool / "broken.mp4").string());
    // A picture in the sample folder, whose saves go to "working" beside it.
    const std::string sample = programFolder_ + "Images/sample.gif";
    fs::copy_file(dialogs_.OpenPool[1], sample);
    dialogs_.OpenPool.push_back(sample);
    // Files the editor must refuse or report.
    std::ofstream(pool / "notes.txt") << "not a picture\n";
    std::ofstream(pool / "broken.gif") << "GIF89a";
    dialogs_.OpenPool.push_back((pool / "notes.txt").string());
    dialogs_.OpenPool.push_back((pool / "broken.gif").string());
    dialogs_.OpenPool.push_back((pool / "vanished.gif").string());
    dialogs_.SaveFolder = scratch_->filePath("saved").toStdString();
    fs::create_directories(dialogs_.SaveFolder);
}

void TExerciser::StartProgram()
{
    window_ = std::make_unique<TfrmMain>(
        TAppServices{messages_, dialogs_, shell_, settings_, modals_, programFolder_, clock_});
    window_->ShowAsStored();
    window_->activateWindow();
    Settle();
}

void TExerciser::Note(const std::string& line)
{
    stepList_.push_back(line);
    log_ << line << '\n';
}

bool TExerciser::Run()
{
    QElapsedTimer clock;
    clock.start();
    const auto& steps = Steps();
    int totalWeight = 0;
    for (const TStep& step : steps)
        totalWeight += step.Weight;

    for (int number = 1; options_.MaxSteps == 0 || number <= options_.MaxSteps; ++number) {
        if (options_.Seconds > 0 && static_cast<double>(clock.elapsed()) >= options_.Seconds * 1000)
            break;
        // The step's own source: the seed and its number, nothing else.
        std::seed_seq sequence{static_cast<uint32_t>(options_.Seed),
                               static_cast<uint32_t>(options_.Seed >> 32), static_cast<uint32_t>(number)};
        TRandom random(sequence);
        int choice = Pick(random, totalWeight);
        const TStep* step = &steps.front();
        for (const TStep& candidate : steps) {
            if (choice < candidate.Weight) {
                step = &candidate;
                break;
            }
            choice -= candidate.Weight;
        }
        messages_.Random = &random;
        dialogs_.Random = &random;
        modals_.Random = &random;
        Note(std::string("#").append(std::to_string(number)) + " " + step->Name);
        try {
            (this->*step->Run)(random);
            Settle();
            CheckInvariants();
        } catch (const std::exception& error) {
            failure_ = "step " + std::to_string(number) + " (" + step->Name + "): " + error.what();
        } catch (...) {
            failure_ = "step " + std::to_string(number) + " (" + step->Name + "): an unknown exception";
        }
        log_.flush();
        messages_.Random = nullptr;
        dialogs_.Random = nullptr;
        modals_.Random = nullptr;
        stepsRun_ = number;
        if (!failure_.empty())
            return false;
    }
    return true;
}

void TExerciser::Settle()
{
    for (int round = 0; round < 4; ++round) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CloseStrayPopups();
    }
    // The user is slower than the save timer: it fires before the next step.
    if (window_) {
        if (auto* timer = window_->findChild<QTimer*>("Timer"); timer && timer->isActive()) {
            timer->stop();
            window_->Context().SaveTimerFired();
            QCoreApplication::processEvents();
        }
    }
}

void TExerciser::CloseStrayPopups()
{
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    CloseStrayModal();
}

void TExerciser::CloseStrayModal()
{
    // Every question goes through the services: a modal window of its own
    // would wait for a user who is not there.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        strayModal_ =
            modal->metaObject()->className() + std::string(" \"") + modal->windowTitle().toStdString() + "\"";
        modal->close();
    }
}

} // namespace fl::exerciser
