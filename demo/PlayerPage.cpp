#include "PlayerPage.h"

#include <cstdio>

std::string PlayerPage::jsString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '<':
                out += "\\u003c";
                break;
            case '>':
                out += "\\u003e";
                break;
            case '&':
                out += "\\u0026";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (c < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string PlayerPage::html(const std::string& type, const std::string& media, const std::string& width,
                             const std::string& url, const Material& material) {
    std::string subtitles = "[";
    for (size_t i = 0; i < material.subtitles.size(); ++i)
        subtitles += (i ? "," : "") + jsString(material.subtitles[i]);
    subtitles += "]";
    return R"JS(<!DOCTYPE html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>Lumovia Player</title>
<style>
body { margin: 0; background: #10141c; color: #eee; font-family: "Noto Sans CJK SC", sans-serif; }
#stage { position: relative; margin: 0 auto; background: #1c2433; overflow: hidden; }
#stage.full { position: fixed; inset: 0; width: 100vw !important; height: 100vh !important; z-index: 10; }
canvas { display: block; width: 100%; height: 100%; }
#subtitles { display: none; position: absolute; left: 0; right: 0; bottom: 56px; text-align: center;
  font-size: 28px; text-shadow: 0 0 6px #000; }
#paused { display: none; position: absolute; inset: 0; background: rgba(0,0,0,.55); font-size: 48px;
  align-items: center; justify-content: center; }
#bar { position: absolute; left: 0; right: 0; bottom: 0; height: 44px; background: rgba(0,0,0,.4);
  display: flex; align-items: center; gap: 12px; padding: 0 12px; }
button { font-size: 16px; }
</style></head>
<body>
<div id="stage"><canvas id="screen" width="960" height="540"></canvas>
<div id="subtitles"></div><div id="paused">已暂停 Paused</div>
<div id="bar"><button id="play">▶ 播放 Play</button><span id="state">ready</span><span id="title"></span></div></div>
<audio id="sound" preload="auto"></audio>
<script>
var params = { type: )JS" +
           jsString(type) + ", media: " + jsString(media) + ", width: " + jsString(width) +
           ", url: " + jsString(url) + R"JS( };
var material = { title: )JS" +
           jsString(material.title) + ", subtitles: " + subtitles + R"JS( };
var stage = document.getElementById("stage");
var screen = document.getElementById("screen");
var sound = document.getElementById("sound");
var subtitleBox = document.getElementById("subtitles");
var pausedBox = document.getElementById("paused");
var stateText = document.getElementById("state");
var isPaused = false, startedAt = Date.now(), frame = 0;
document.getElementById("title").textContent = material.title;
var w = parseInt(params.width, 10);
stage.style.width = (w > 0 ? w : 800) + "px";
stage.style.height = Math.round((w > 0 ? w : 800) * (params.media === "audio" ? 0.3 : 0.5625)) + "px";
sound.src = params.url;
function setState(text) { stateText.textContent = text; document.title = "Lumovia Player - " + text; }
function play() { isPaused = false; pausedBox.style.display = "none"; setState("playing");
  var p = sound.play(); if (p && p.catch) p.catch(function () { setState("playing (muted)"); }); }
document.getElementById("play").onclick = play;
function record(name) {
  try { fetch("/mediaplayerhtml/calls?fn=" + name, { cache: "no-store" }).catch(function () {}); } catch (e) {}
}
function showSubtitles() { record("showSubtitles"); subtitleBox.style.display = "block"; return "shown"; }
function hideSubtitles() { record("hideSubtitles"); subtitleBox.style.display = "none"; return "hidden"; }
function fullScreen() { record("fullScreen"); stage.classList.add("full");
  if (stage.requestFullscreen) { stage.requestFullscreen().catch(function () {}); } return "full"; }
function pause() { record("pause"); isPaused = true; sound.pause(); pausedBox.style.display = "flex";
  setState("paused"); return "paused"; }
document.addEventListener("fullscreenchange", function () { if (!document.fullscreenElement) stage.classList.remove("full"); });
function draw() {
  var c = screen.getContext("2d"), t = (Date.now() - startedAt) / 1000;
  if (!isPaused) frame++;
  c.fillStyle = "#1c2433"; c.fillRect(0, 0, screen.width, screen.height);
  if (params.media !== "audio") {
    for (var i = 0; i < 6; i++) {
      var x = 480 + Math.cos(frame / 40 + i) * (120 + i * 40), y = 270 + Math.sin(frame / 30 + i * 2) * 120;
      c.fillStyle = "hsl(" + ((i * 60 + frame) % 360) + ",70%,60%)";
      c.beginPath(); c.arc(x, y, 30 + i * 4, 0, 2 * Math.PI); c.fill();
    }
  } else {
    for (var k = 0; k < 32; k++) { var h = isPaused ? 4 : 20 + 80 * Math.abs(Math.sin(frame / 8 + k));
      c.fillStyle = "#6cf"; c.fillRect(40 + k * 28, 400 - h, 18, h); }
  }
  c.fillStyle = "#fff"; c.font = "36px sans-serif"; c.fillText(material.title || params.type, 40, 70);
  var lines = material.subtitles.length ? material.subtitles : ["Listen and repeat.  听一听，跟着说。"];
  subtitleBox.textContent = lines[Math.floor(frame / 120) % lines.length];
  requestAnimationFrame(draw);
}
setState("ready");
requestAnimationFrame(draw);
play();
</script></body></html>
)JS";
}
