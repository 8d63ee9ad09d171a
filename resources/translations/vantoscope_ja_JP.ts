<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>BatchCtrl</name>
    <message>
        <source>BatchCtrl</source>
        <translation>バッチ制御</translation>
    </message>
    <message>
        <source>Batch Cmds</source>
        <translation>バッチコマンド</translation>
    </message>
    <message>
        <source>Progress Log</source>
        <translation>進行ログ</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>読込</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Clear Log</source>
        <translation>ログクリア</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>クリア</translation>
    </message>
    <message>
        <source>Exec.</source>
        <translation>実行</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Batch File (*.bat)</source>
        <translation>バッチファイル (*.bat)</translation>
    </message>
    <message>
        <source>Any Files (* *.*)</source>
        <translation>すべてのファイル (* *.*)</translation>
    </message>
</context>
<context>
    <name>Body</name>
    <message>
        <source>Batch Ctrl.</source>
        <translation>バッチ制御</translation>
    </message>
    <message>
        <source>Show Stats</source>
        <translation>統計を表示</translation>
    </message>
    <message>
        <source>Vantoscope</source>
        <translation>Vantoscope</translation>
    </message>
</context>
<context>
    <name>EOFSetup</name>
    <message>
        <source>XAFS Data File (*.dat)</source>
        <translation>XAFS データファイル (*.dat)</translation>
    </message>
    <message>
        <source>Any Files (* *.*)</source>
        <translation>すべてのファイル (* *.*)</translation>
    </message>
</context>
<context>
    <name>ElemCtrl</name>
    <message>
        <source>Element</source>
        <translation>元素</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Expected Absorption Edge.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;予想される吸収端。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>[eV]</source>
        <translation>[eV]</translation>
    </message>
</context>
<context>
    <name>EngOfFilesSetup</name>
    <message>
        <source>Frame</source>
        <translation>フレーム</translation>
    </message>
    <message>
        <source>Energy Cal. from File Name</source>
        <translation>ファイル名からエネルギー計算</translation>
    </message>
    <message>
        <source>Pattern</source>
        <translation>パターン</translation>
    </message>
    <message>
        <source>{Reg. Exp]</source>
        <translation>{正規表現]</translation>
    </message>
    <message>
        <source>Factor</source>
        <translation>係数</translation>
    </message>
    <message>
        <source>Energy Cal. from File No.</source>
        <translation>ファイル番号からエネルギー計算</translation>
    </message>
    <message>
        <source>Sel. Unit</source>
        <translation>単位選択</translation>
    </message>
    <message>
        <source>Even in</source>
        <translation>等間隔</translation>
    </message>
    <message>
        <source>Energy</source>
        <translation>エネルギー</translation>
    </message>
    <message>
        <source>Angle</source>
        <translation>角度</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>開始</translation>
    </message>
    <message>
        <source>Delta</source>
        <translation>間隔</translation>
    </message>
    <message>
        <source>End</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>Num</source>
        <translation>点数</translation>
    </message>
    <message>
        <source>Energy Cal. from Ref. File</source>
        <translation>参照ファイルからエネルギー計算</translation>
    </message>
    <message>
        <source>Sel.</source>
        <translation>選択</translation>
    </message>
</context>
<context>
    <name>SaveDataCfg</name>
    <message>
        <source>Save Data Configuration</source>
        <translation>データ保存設定</translation>
    </message>
    <message>
        <source>Save as Tiff</source>
        <translation>Tiff で保存</translation>
    </message>
    <message>
        <source>Fixed Scale</source>
        <translation>固定スケール</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>最小</translation>
    </message>
    <message>
        <source>0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  Max</source>
        <translation>  最大</translation>
    </message>
    <message>
        <source>10</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save as Analyzed Area Size and Resolution</source>
        <translation>解析領域のサイズと分解能で保存</translation>
    </message>
    <message>
        <source>Save as Text data</source>
        <translation>テキストデータで保存</translation>
    </message>
    <message>
        <source>Comma Separated</source>
        <translation>カンマ区切り</translation>
    </message>
    <message>
        <source>Space Separated</source>
        <translation>空白区切り</translation>
    </message>
    <message>
        <source>X Y Val : 1point/1line</source>
        <translation>X Y 値 : 1行に1点</translation>
    </message>
    <message>
        <source>Val1 Val2 Val3... : each Y line</source>
        <translation>値1 値2 値3... : Y 毎に1行</translation>
    </message>
</context>
<context>
    <name>SelectDataFiles</name>
    <message>
        <source>SelectDataFiles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data Select</source>
        <translation>データ選択</translation>
    </message>
    <message>
        <source>New</source>
        <translation>新規</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>追加</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>クリア</translation>
    </message>
    <message>
        <source>X ax.</source>
        <translation>X 軸</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>Add. Setup</source>
        <translation>追加設定</translation>
    </message>
    <message>
        <source>Cut F.</source>
        <translation>先頭除外</translation>
    </message>
    <message>
        <source>Cut L.</source>
        <translation>末尾除外</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>間引き</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;The exporsure eime is used when the time is not recorded in image file.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;画像ファイルに露光時間が記録されていない場合に使われる露光時間です。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Exp.</source>
        <translation>露光</translation>
    </message>
    <message>
        <source>[ms]</source>
        <translation>[ms]</translation>
    </message>
    <message>
        <source>RVKT Files, IMG Files, Tiff Files (*.dat *.img *.tif *.tiff)</source>
        <translation>RVKT ファイル、IMG ファイル、Tiff ファイル (*.dat *.img *.tif *.tiff)</translation>
    </message>
    <message>
        <source>Any Files (* *.*)</source>
        <translation>すべてのファイル (* *.*)</translation>
    </message>
</context>
<context>
    <name>SelectDataFilesAdditionalSetup</name>
    <message>
        <source>Select Data Files Additional Setup</source>
        <translation>データファイル選択の追加設定</translation>
    </message>
    <message>
        <source>Set Dark Area</source>
        <translation>暗領域設定</translation>
    </message>
    <message>
        <source>Up Date</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>CLR</source>
        <translation>消去</translation>
    </message>
    <message>
        <source>Dark Area:</source>
        <translation>暗領域:</translation>
    </message>
    <message>
        <source>Show Latest Image on Load</source>
        <translation>読み込み時に最新画像を表示</translation>
    </message>
    <message>
        <source>Ignore  &apos;Live&apos; file</source>
        <translation>&apos;Live&apos; ファイルを無視</translation>
    </message>
    <message>
        <source>Select Err. Ps. Def.</source>
        <translation>不良画素定義の選択</translation>
    </message>
    <message>
        <source>Use Err Points Mask</source>
        <translation>不良画素マスクを使用</translation>
    </message>
</context>
<context>
    <name>Stats</name>
    <message>
        <source>Statistics</source>
        <translation>統計</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Val/Max</source>
        <translation>値/最大</translation>
    </message>
    <message>
        <source>Bins</source>
        <translation>ビン数</translation>
    </message>
    <message>
        <source>Num</source>
        <translation>個数</translation>
    </message>
    <message>
        <source>Mean</source>
        <translation>平均</translation>
    </message>
    <message>
        <source>Sigam</source>
        <translation>標準偏差</translation>
    </message>
    <message>
        <source>Sigma</source>
        <translation>標準偏差</translation>
    </message>
    <message>
        <source>In Selected Area:</source>
        <translation>選択範囲内:</translation>
    </message>
    <message>
        <source>Show Over Image</source>
        <translation>画像上に表示</translation>
    </message>
    <message>
        <source>Show Stats in Selected Area</source>
        <translation>選択範囲の統計を表示</translation>
    </message>
</context>
<context>
    <name>XafsFileSelect</name>
    <message>
        <source>XAFS File Select</source>
        <translation>XAFS ファイル選択</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>選択</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>クリア</translation>
    </message>
    <message>
        <source>XAFS Data File (*.dat)</source>
        <translation>XAFS データファイル (*.dat)</translation>
    </message>
    <message>
        <source>Any Files (* *.*)</source>
        <translation>すべてのファイル (* *.*)</translation>
    </message>
</context>
<context>
    <name>XafsView</name>
    <message>
        <source>XAFS</source>
        <translation>XAFS</translation>
    </message>
    <message>
        <source>0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normalized</source>
        <translation>規格化</translation>
    </message>
    <message>
        <source>E. Correct</source>
        <translation>E 補正</translation>
    </message>
    <message>
        <source>Raw</source>
        <translation>生</translation>
    </message>
    <message>
        <source>FFT</source>
        <translation>FFT</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Reset X Axis Scale&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;X 軸スケールをリセット&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>S.R.</source>
        <translation>S.R.</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data File (*.dat)</source>
        <translation>データファイル (*.dat)</translation>
    </message>
    <message>
        <source>Any Files (* *.*)</source>
        <translation>すべてのファイル (* *.*)</translation>
    </message>
</context>
</TS>
