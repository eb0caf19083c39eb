<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en">
<context>
    <name>ReadingRun</name>
    <message>
        <source>Text files (*.txt)</source>
        <comment>The file type offered in the Open dialog</comment>
        <translation>テキスト ファイル (*.txt)</translation>
    </message>
</context>
</TS>
