// SPDX-License-Identifier: GPL-3.0-or-later
// `info`: what a GIF file holds, as text or as one JSON object.
#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "gif/GIFImage.h"
#include "platform/GIFException.h"

namespace fl::cli {

namespace {

struct TWarningRecord {
    int Severity;
    std::string Message;
};

const TGIFAppExtNSLoop* FindLoopExtension(TGIFImage& image)
{
    for (const auto& frame : image.Frames)
        if (const auto* loop = frame->Extensions.Find<TGIFAppExtNSLoop>())
            return loop;
    return nullptr;
}

const char* VersionText(TGIFImage& image)
{
    switch (image.Version()) {
    case TGIFVersion::GIF87a:
        return "87a";
    case TGIFVersion::GIF89a:
        return "89a";
    default:
        return "none";
    }
}

std::string Printable(const std::string& bytes)
{
    std::string text;
    for (unsigned char c : bytes)
        text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '.';
    return text;
}

void PrintText(TGIFImage& image, const std::vector<TWarningRecord>& warnings)
{
    std::printf("version: %s\n", VersionText(image));
    std::printf("screen: %d x %d, background index %d, aspect ratio %d\n", image.Width(), image.Height(),
                image.Header.BackgroundIndex, image.Header.AspectRatio);
    std::printf("global colors: %d\n", image.GlobalColors().Count());
    std::printf("frames: %d\n", image.Frames.Count());
    int index = 0;
    for (const auto& frame : image.Frames) {
        std::printf("frame %d: ", index++);
        if (frame->IsEmpty())
            std::printf("empty");
        else
            std::printf("at %d,%d size %d x %d%s, local colors %d", frame->Left(), frame->Top(), frame->Width(),
                        frame->Height(), frame->Interlaced() ? ", interlaced" : "", frame->LocalColors.Count());
        std::printf("\n");
        for (const auto& extension : frame->Extensions) {
            if (auto* control = dynamic_cast<TGIFGraphicControlExtension*>(extension.get())) {
                std::printf("  control: delay %d, disposal %d, transparent %s, index %d%s\n", control->Delay,
                            control->Disposal(), control->Transparent() ? "yes" : "no", control->TransparentIndex(),
                            control == frame->ControlBlock ? "" : " (not the frame's control block)");
            } else if (auto* comment = dynamic_cast<TGIFCommentExtension*>(extension.get())) {
                for (const std::string& line : comment->Lines)
                    std::printf("  comment: %s\n", Printable(line).c_str());
                if (comment->Lines.empty())
                    std::printf("  comment: (empty)\n");
            } else if (auto* text = dynamic_cast<TGIFTextExtension*>(extension.get())) {
                std::printf("  plain text: grid %d,%d %d x %d, cell %d x %d\n", text->GridLeft, text->GridTop,
                            text->GridWidth, text->GridHeight, text->CellWidth, text->CellHeight);
                for (const std::string& line : text->Lines)
                    std::printf("    %s\n", Printable(line).c_str());
            } else if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(extension.get())) {
                std::printf("  loop: count %d, buffer size %u (%s)\n", loop->LoopCount, loop->BufferSize,
                            Printable(loop->AppIdText()).c_str());
            } else if (auto* app = dynamic_cast<TGIFApplicationExtension*>(extension.get())) {
                std::printf("  application: %s\n", Printable(app->AppIdText()).c_str());
            }
        }
    }
    for (const TWarningRecord& warning : warnings)
        std::printf("warning (%d): %s\n", warning.Severity, warning.Message.c_str());
}

void PrintJson(TGIFImage& image, const std::vector<TWarningRecord>& warnings)
{
    TJsonWriter json;
    json.BeginObject();
    json.Key("version");
    image.Version() == TGIFVersion::Unknown ? json.Null() : json.String(VersionText(image));
    json.Key("width").Number(image.Width());
    json.Key("height").Number(image.Height());
    json.Key("background_index").Number(image.Header.BackgroundIndex);
    json.Key("aspect_ratio").Number(image.Header.AspectRatio);
    json.Key("global_colors").Number(image.GlobalColors().Count());
    json.Key("loop_count");
    if (const TGIFAppExtNSLoop* loop = FindLoopExtension(image))
        json.Number(loop->LoopCount);
    else
        json.Null();
    json.Key("frames").BeginArray();
    for (const auto& frame : image.Frames) {
        json.BeginObject();
        json.Key("left").Number(frame->Left());
        json.Key("top").Number(frame->Top());
        json.Key("width").Number(frame->Width());
        json.Key("height").Number(frame->Height());
        json.Key("interlaced").Bool(frame->Interlaced());
        json.Key("local_colors").Number(frame->LocalColors.Count());
        json.Key("empty").Bool(frame->IsEmpty());
        json.Key("transparent").Bool(frame->Transparent);
        const TGIFGraphicControlExtension* control = frame->ControlBlock;
        json.Key("transparent_index");
        control ? json.Number(control->TransparentIndex()) : json.Null();
        json.Key("delay");
        control ? json.Number(control->Delay) : json.Null();
        json.Key("disposal");
        control ? json.Number(control->Disposal()) : json.Null();
        json.Key("comments").BeginArray();
        for (const auto& extension : frame->Extensions)
            if (auto* comment = dynamic_cast<TGIFCommentExtension*>(extension.get())) {
                std::string text;
                for (const std::string& line : comment->Lines)
                    text += line;
                json.String(text);
            }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.Key("warnings").BeginArray();
    for (const TWarningRecord& warning : warnings) {
        json.BeginObject();
        json.Key("severity").Number(warning.Severity);
        json.Key("message").String(warning.Message);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
}

} // namespace

int RunInfo(const std::vector<std::string>& args)
{
    bool asJson = false;
    std::string path;
    for (const std::string& arg : args) {
        if (arg == "--json")
            asJson = true;
        else if (path.empty())
            path = arg;
        else {
            std::fprintf(stderr, "frameloom-cli info: unexpected argument \"%s\"\n", arg.c_str());
            return 2;
        }
    }
    if (path.empty()) {
        std::fputs("Usage: frameloom-cli info [--json] FILE\n", stderr);
        return 2;
    }

    TGIFImage image;
    std::vector<TWarningRecord> warnings;
    image.WarningHandler = [&](TGIFImage&, TGIFItem*, int severity, const std::string& message) {
        warnings.push_back({severity, message});
    };
    try {
        image.LoadFromFile(path);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error.what());
        return 1;
    }
    if (asJson)
        PrintJson(image, warnings);
    else
        PrintText(image, warnings);
    return 0;
}

} // namespace fl::cli
