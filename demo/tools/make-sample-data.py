#!/usr/bin/env python3
"""Writes the demo service's default sample data into demo/data (run from the repository)."""
import hashlib
import os
from xml.sax.saxutils import quoteattr

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")


def write(relative, text):
    path = os.path.join(OUT, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def dataset(rows, declaration=None):
    head = '<NewDataSet%s>\n' % (' demo-declaration="%s"' % declaration if declaration else "")
    body = "".join("  <Table %s />\n" % " ".join("%s=%s" % (k, quoteattr(v, {"\t": "&#9;", "\n": "&#10;"}))
                                                 for k, v in row) for row in rows)
    return '<?xml version="1.0" encoding="UTF-8"?>\n' + head + body + "</NewDataSet>\n"


def md5gbk(text):
    return hashlib.md5(text.encode("gbk")).hexdigest()


BOOKS = [
    ("b3a", "快乐英语 三年级上册 Happy English 3A", "3", "syl-pep", 44),
    ("b5b", "快乐英语 五年级下册 Happy English 5B", "5", "syl-pep", 42),
    ("b8a", "初中英语 八年级上册 Junior English 8A", "8", "syl-jun", 48),
    ("b10", "高中英语 必修一 Senior English Book 1", "10", "syl-sen", 40),
]
UNITS = [
    ("Unit 1", "Hello! 你好！"), ("Unit 2", "My family 我的家庭"), ("Unit 3", "Colours 颜色"),
    ("Unit 4", "At school 在学校"), ("Unit 5", "Food and drinks 食物和饮料"), ("Unit 6", "Animals 动物"),
]
EXTS = [".jpg", ".jpg", ".png", ".jpg", "-a.png", ".gif", ".jpg", "-t.png"]

books, units, clips = [], [], []
for bookid, name, grade, syllabus, pages in BOOKS:
    books.append([("bookname", name), ("book_category", "教材"), ("syllabusid", syllabus), ("bookid", bookid),
                  ("subjectid", "3"), ("gradeid", grade), ("web_path", "${content}"),
                  ("book_path", "/content/pages/%s/" % bookid), ("coverfile", "cover.jpg"), ("indexfile", "index.xml")])
    page_rows = []
    for n in range(1, pages + 1):
        ext = EXTS[n % len(EXTS)]
        fname = "p%03d%s" % (n, ext)
        unknown = n % 7 == 3
        page_rows.append([("pageid", "%s-%03d" % (bookid, n)), ("pagenumber", str(n)), ("pagename", "第%d页 Page %d" % (n, n)),
                          ("pagefile", "${baseurl}/content/pages/%s/%s" % (bookid, fname)),
                          ("width", "0" if unknown else "1240"), ("height", "0" if unknown else "1754"),
                          ("bookname", name), ("bookid", bookid), ("gradeid", grade), ("web_path", "${content}"),
                          ("book_path", "/content/pages/%s/" % bookid), ("page_path", "/content/pages/%s/" % bookid),
                          ("coverfile", "cover.jpg"), ("indexfile", "index.xml")])
    write("datasets/LmvInclass_GetPageList/%s.xml" % bookid, dataset(page_rows))
    scenes, passages, lectures, words = [], [], [], []
    for u, (uname, utitle) in enumerate(UNITS[:5] if bookid != "b10" else UNITS[:4]):
        code = "%s-u%d" % (bookid, u + 1)
        valid = "0" if u == 4 else "1"
        units.append([("unitcode", code if not (bookid == "b5b" and u == 3) else ""), ("unitname", uname),
                      ("UnitTitle", utitle), ("gradeid", grade), ("term", "1"), ("bookid", bookid),
                      ("IsValid", valid), ("pagenumber", str(2 + u * 8))])
        for k in range(2):
            mid = "%s-s%d%d" % (bookid, u + 1, k + 1)
            scenes.append([("MaterialId", mid), ("TextJson", '{"lines":["Hello!","Hi!"]}'),
                           ("Title", "Scene %d-%d: %s" % (u + 1, k + 1, utitle.split(" ")[0])), ("VideoId", "v" + mid),
                           ("Code", code), ("VideoFileName", mid + ".mp4"), ("AudioFileName", mid + ".mp3"),
                           ("CoverFileName", "${content}/content/scenes/%s%s" % (mid, ".jpg" if k == 0 else "-a.png"))])
        pid = "%s-p%d" % (bookid, u + 1)
        passages.append([("MaterialId", pid), ("Title", "Reading: %s" % utitle.split(" ")[0]),
                         ("Title_Chinese", "阅读：" + utitle.split(" ")[-1]), ("Text", "Read and enjoy."),
                         ("TextJson", "{}"), ("AudioId", "a" + pid), ("Code", code), ("AudioFileName", pid + ".mp3")])
        lid = "%s-m%d" % (bookid, u + 1)
        lectures.append([("MaterialId", lid), ("Title", "Mini lecture %d" % (u + 1)),
                         ("Title_Chinese", "微课：" + utitle.split(" ")[-1]), ("TextJson", "{}"), ("VideoId", "v" + lid),
                         ("Code", code), ("VideoFileName", lid + ".mp4"), ("AudioFileName", lid + ".mp3"),
                         ("CoverFileName", "${content}/content/lectures/%s.jpg" % lid)])
        for w, (word, cn) in enumerate([("apple", "苹果"), ("teacher", "老师"), ("red", "红色"), ("cat", "猫")]):
            wid = "%s-w%d%d" % (bookid, u + 1, w)
            words.append([("wordid", wid), ("Word", word), ("example", "I like the %s." % word),
                          ("example_chinese", "我喜欢这个" + cn + "。"), ("synonyms", ""), ("explain", cn),
                          ("pronunciation", "/%s/" % word), ("MaterialId", "mw-" + wid), ("StartPage", "3"),
                          ("WordType", "n."), ("AudioId", "a" + wid), ("FrontVideoId", ""), ("SideVideoId", ""),
                          ("Code", code), ("FrontVideoFileName", ""), ("SideVideoFileName", ""),
                          ("AudioFileName", wid + ".mp3"),
                          ("PictureFileName", "" if w == 3 else "${content}/content/words/%s%s" % (wid, [".gif", ".jpg", ".png"][w]))])
    write("datasets/LmvInclass_GetSceneTextJsonList/%s.xml" % bookid, dataset(scenes))
    write("datasets/LmvInclass_GetPassageTextJsonList/%s.xml" % bookid, dataset(passages))
    write("datasets/LmvInclass_GetMiniLectureTextJsonList/%s.xml" % bookid, dataset(lectures))
    write("datasets/LmvInclass_GetsyllabusWordList/%s.xml" % bookid, dataset(words))

write("datasets/LmvInclass_GetBookList.xml", dataset(books))
write("datasets/LmvInclass_GetUnitList.xml", dataset(units))

for c, (title, word) in enumerate([("Letter A a", "apple"), ("Letter B b", "bag"), ("Short a", "cat"),
                                    ("Long e", "tree"), ("ch sound", "chair"), ("sh sound", "ship"), ("th sound", "three")]):
    clips.append([("clipid", "clip%d" % (c + 1)), ("clip_title", "%s 自然拼读" % title if c % 2 else title), ("word", word),
                  ("mediaid", "md%d" % (c + 1)), ("start_time", "00:00:%02d" % (c * 5)), ("end_time", "00:00:%02d" % (c * 5 + 4)),
                  ("filename", "${content}/content/clips/clip%d" % (c + 1)), ("sequenceid", str(c + 1))])
write("datasets/LmvInclass_GetClipList.xml", dataset(clips))

tests = []
for h, (name, kind) in enumerate([("Unit 1 单词练习", "101"), ("Unit 2 听力练习", "101"), ("Unit 3 阅读练习", "101"),
                                   ("期中考试 Midterm", "104"), ("单元测验 Unit test", "104"), ("口语作业 Speaking", "102")]):
    tests.append([("hmwkid", "hw%d" % (h + 1)), ("hmwkname", name), ("practicetypeid", kind if h != 1 else " 101 "),
                  ("msg", "请按时完成 Please finish on time"), ("endtime", "2024-06-%02d 18:00" % (10 + h)),
                  ("create_time", "2024-06-01 08:00"), ("creator_id", "t1001")])
write("datasets/LmvInclass_GetTestList.xml", dataset(tests))

papers = []
areas = ["北京", "上海", "浙江", "广东", "全国"]
types = [("期中", "Midterm"), ("期末", "Final"), ("模拟", "Mock"), ("单元", "Unit")]
for i in range(36):
    year = "0" if i % 9 == 8 else str(2018 + i % 6)
    t = types[i % 4]
    papers.append([("testpaperid", "tp%03d" % (i + 1)), ("testyear", year),
                   ("testpapername", "%s %s英语%s试卷 %d" % (year if year != "0" else "", areas[i % 5], t[0], i + 1)),
                   ("testtype_english", t[1]), ("testtype", t[0]), ("testpaperstatus", "2" if i % 10 == 5 else "1"),
                   ("testarea", areas[i % 5])])
write("datasets/LmvInclass_GetAllTestPaperList.xml", dataset(papers))

qtypes = [("1", "单选题"), ("2", "完形填空"), ("3", "阅读理解"), ("4", "书面表达")]
write("datasets/LmvInclass_GetQuestionTypeList.xml",
      dataset([[("questiontypeid", a), ("QuestTypeName", b)] for a, b in qtypes]))

for bookid, *_ in BOOKS[:2]:
    for u in range(1, 4):
        code = "%s-u%d" % (bookid, u)
        sections = [[("unitcode", code), ("sectionid", "%s-sec%d" % (code, s)), ("sectionname", name),
                     ("questioncount", "4")] for s, name in [(1, "词汇 Vocabulary"), (2, "语法 Grammar")]]
        write("datasets/LmvInclass_GetSectionList/%s.xml" % code, dataset(sections))
        for s in (1, 2):
            rows = []
            for q in range(4):
                qid = "%s%d%d%d" % ("1" if bookid == "b3a" else "2", u, s, q)
                row = [("qid", qid)] if q != 2 else [("qid", "  "), ("questionid", qid)]
                row += [("qtpid", str(1 + q % 2)) if q != 3 else ("questiontypeid", "3"), ("typetext", "单选题"),
                        ("rc", "12"), ("wc", "3"), ("rating", "4") if q == 1 else ("rt", "3"), ("q_identity", "Q" + qid),
                        ("questiontext", "Choose the right word: I ___ a student. (%s)" % qid), ("questionfile", ""),
                        ("solutiontext", "A"), ("solutionfile", ""), ("option1text", "am"), ("option1file", ""),
                        ("option2text", "is"), ("option3text", "are"), ("option4text", "be"),
                        ("qorosectionid", "%s-sec%d" % (code, s)), ("creatorid", "t1001"), ("createdate", "2023-09-01"),
                        ("correct_rate", "0.8"), ("explain", "主语是 I，用 am。"), ("status", "1"), ("sourceid", "tp001"),
                        ("score", "2"), ("question_sequence", str(q + 1)), ("difficultyid", "1")]
                rows.append(row)
            write("datasets/LmvInclass_getQuestionListFromaSection/%s_%s-sec%d.xml" % (code, code, s),
                  dataset(rows, "gb2312" if s == 1 else "none"))

members = [
    ("teacher", "lumo2024", "t1001", "100", "王", "老师", "Wang.Laoshi@lumovia.example"),
    ("head", "head2024", "t1002", "55", "李", "主任", "li.zhuren@lumovia.example"),
    ("student", "learn30", "s3001", "30", "张", "小明", "zhang.xm@lumovia.example"),
    ("parent", "family50", "p5001", "50", "赵", "家长", "zhao.jz@lumovia.example"),
    ("guest", "visit20", "g2001", "20", "Guest", "Visitor", "guest@lumovia.example"),
    ("王老师", "上课了", "t1003", "100", "王", "芳", "wang.fang@lumovia.example"),
    ("nosetting", "empty55", "t1004", "55", "陈", "老师", "chen@lumovia.example"),
]
rows = []
for account, password, uid, utype, last, first, email in members:
    rows.append([("demo-account", account), ("demo-password", password), ("user_id", uid), ("passwd", md5gbk(password)),
                 ("typeid", utype), ("usertypeid", utype), ("lastname", last), ("firstname", first), ("grade", "3"),
                 ("syllabusid", "syl-pep"), ("email", email), ("phone", "1380000%04d" % int(uid[1:]))])
    if utype in ("55", "100") and account != "nosetting":
        write("datasets/LmvInclass_GetTeacherSetting/%s.xml" % uid,
              dataset([[("userid", uid if uid != "t1002" else "t1001"), ("passwd", md5gbk(password)), ("subject", "english")]]))
write("members.xml", dataset(rows))

for op in ["LmvInclass_GetQuestionType", "LmvInclass_GetWordFamilyList", "LmvInclass_GetStoreList",
           "LmvInclass_GetKnowledgeList", "LmvInclass_GetAbilityList", "LmvInclass_GetQuestionList",
           "LmvInclass_GetDialoguePartList", "LmvInclass_GetTestTypeList", "LmvInclass_GetDialogueList"]:
    write("datasets/%s.xml" % op, dataset([]))

media = []
for bookid, *_ in BOOKS:
    for u in range(1, 6):
        for k in (1, 2):
            mid = "%s-s%d%d" % (bookid, u, k)
            media.append(("GetScene", mid, "scene-" + mid, "Scene %s" % mid, "Hello! 你好！|How are you? 你好吗？|I'm fine. 我很好。"))
        media.append(("GetMiniLecture", "%s-m%d" % (bookid, u), "lecture-%s-m%d" % (bookid, u), "Mini lecture", "Today we learn colours.|今天我们学习颜色。"))
        media.append(("getpassage", "%s-p%d" % (bookid, u), "passage-%s-p%d" % (bookid, u), "Reading", "Read after me.|跟我读。"))
        for w in range(4):
            wid = "mw-%s-w%d%d" % (bookid, u, w)
            media.append(("getword", wid, "word-" + wid, "Word", "apple 苹果|I like apples. 我喜欢苹果。"))
for c in range(1, 8):
    media.append(("GetClip", "clip%d" % c, "clip-%d" % c, "Phonics clip %d" % c, "a a a apple|b b b bag"))
write("media.txt", "".join("%s\t%s\t${content}/media/audio/%s.wav\t%s\t%s\n" % m for m in media))

write("syllabus/syl-pep_subjects.xml", '<?xml version="1.0" encoding="UTF-8"?>\n<subjects><subject id="3" name="英语 English" /></subjects>\n')
write("syllabus/syl-jun_subjects.xml", '<?xml version="1.0" encoding="UTF-8"?>\n<subjects><subject id="3" name="英语 English" /></subjects>\n')
write("syllabus/syl-sen_subjects.xml", '<?xml version="1.0" encoding="UTF-8"?>\n<subjects />\n')
