<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>AElemsConds</name>
    <message>
        <source>Analyze Elems Conditions</source>
        <translation>元素解析条件</translation>
    </message>
    <message>
        <source>BG Values : </source>
        <translation>バックグラウンド値 : </translation>
    </message>
    <message>
        <source>dmut</source>
        <translation>dmut</translation>
    </message>
    <message>
        <source>dmut-Ratio</source>
        <translation>dmut比</translation>
    </message>
    <message>
        <source>dE</source>
        <translation>dE</translation>
    </message>
    <message>
        <source>ROI</source>
        <translation>ROI</translation>
    </message>
    <message>
        <source>NROI</source>
        <translation>NROI</translation>
    </message>
</context>
<context>
    <name>Analyzer</name>
    <message>
        <source>no fit</source>
        <translation>フィットなし</translation>
    </message>
    <message>
        <source>Analyzer</source>
        <translation>アナライザー</translation>
    </message>
    <message>
        <source>Analyzing Spectrum</source>
        <translation>解析中のスペクトル</translation>
    </message>
    <message>
        <source>Select Ref%1</source>
        <translation>参照%1を選択</translation>
    </message>
    <message>
        <source>Exec. LCF / MLCF Analysis</source>
        <translation>LCF / MLCF 解析を実行</translation>
    </message>
    <message>
        <source>MLCF</source>
        <translation>MLCF</translation>
    </message>
    <message>
        <source>LCF as Old</source>
        <translation>旧方式の LCF</translation>
    </message>
    <message>
        <source>Fitting Range: </source>
        <translation>フィッティング範囲: </translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>[eV]</source>
        <translation>[eV]</translation>
    </message>
    <message>
        <source>Zansa</source>
        <translation>残差</translation>
    </message>
    <message>
        <source>Add Ref</source>
        <translation>参照を追加</translation>
    </message>
    <message>
        <source>Show View</source>
        <translation>ビューを表示</translation>
    </message>
    <message>
        <source>Analyze</source>
        <translation>解析</translation>
    </message>
    <message>
        <source>Disp. on TIme</source>
        <translation>随時表示</translation>
    </message>
    <message>
        <source>Exec. Gen dEge Map</source>
        <translation>dEdge マップを生成</translation>
    </message>
    <message>
        <source>Mid Point</source>
        <translation>中点</translation>
    </message>
    <message>
        <source>Comp. with</source>
        <translation>比較で求める</translation>
    </message>
    <message>
        <source>dEdge</source>
        <translation>dEdge</translation>
    </message>
    <message>
        <source>Comp. Target</source>
        <translation>比較スペクトル</translation>
    </message>
    <message>
        <source>File</source>
        <translation>ファイル</translation>
    </message>
    <message>
        <source>Step at</source>
        <translation>ステップ位置</translation>
    </message>
    <message>
        <source>(Step Gen Params: </source>
        <translation>(ステップ生成パラメータ: </translation>
    </message>
    <message>
        <source>SW</source>
        <translation>幅</translation>
    </message>
    <message>
        <source>dE</source>
        <translation>dE</translation>
    </message>
    <message>
        <source>[eV] )</source>
        <translation>[eV] )</translation>
    </message>
    <message>
        <source>Seek Min. Params: Comp. Range</source>
        <translation>最小探索パラメータ: 比較範囲</translation>
    </message>
    <message>
        <source>Init. Step</source>
        <translation>初期ステップ</translation>
    </message>
    <message>
        <source>Min. Step</source>
        <translation>最小ステップ</translation>
    </message>
    <message>
        <source>DMut</source>
        <translation>DMut</translation>
    </message>
    <message>
        <source>Ratio</source>
        <translation>比率</translation>
    </message>
    <message>
        <source>Fixed Scale</source>
        <translation>固定スケール</translation>
    </message>
    <message>
        <source>DMut Scale</source>
        <translation>DMut スケール</translation>
    </message>
    <message>
        <source>Ratio Scale</source>
        <translation>比率スケール</translation>
    </message>
    <message>
        <source>Show dmut</source>
        <translation>dmut を表示</translation>
    </message>
    <message>
        <source>Show the Rest</source>
        <translation>残りを表示</translation>
    </message>
    <message>
        <source>Show Ratio</source>
        <translation>比率を表示</translation>
    </message>
    <message>
        <source>Show dEge Map</source>
        <translation>dEdge マップを表示</translation>
    </message>
    <message>
        <source>Residual Absorption Analysis</source>
        <translation>残留吸収解析</translation>
    </message>
    <message>
        <source>Res = mut(</source>
        <translation>Res = mut(</translation>
    </message>
    <message>
        <source> [eV])- dmut x</source>
        <translation> [eV])- dmut x</translation>
    </message>
    <message>
        <source>Element Analysis</source>
        <translation>元素解析</translation>
    </message>
    <message>
        <source>Target Element Names</source>
        <translation>対象元素名</translation>
    </message>
    <message>
        <source>Sort by A. No.</source>
        <translation>原子番号順</translation>
    </message>
    <message>
        <source>Correlation</source>
        <translation>相関</translation>
    </message>
    <message>
        <source>Cor. Th.</source>
        <translation>相関閾値</translation>
    </message>
    <message>
        <source>Cor. Th</source>
        <translation>相関閾値</translation>
    </message>
    <message>
        <source>Set STD</source>
        <translation>標準に設定</translation>
    </message>
    <message>
        <source>ReCalc Cor.</source>
        <translation>相関を再計算</translation>
    </message>
    <message>
        <source>Show Map of</source>
        <translation>表示するマップ:</translation>
    </message>
    <message>
        <source>dMut of The Elem.</source>
        <translation>元素の dMut</translation>
    </message>
    <message>
        <source>N. dMut of The Elem.</source>
        <translation>元素の規格化 dMut</translation>
    </message>
    <message>
        <source>Mut+</source>
        <translation>Mut+</translation>
    </message>
    <message>
        <source>Mut-</source>
        <translation>Mut-</translation>
    </message>
    <message>
        <source>ROI</source>
        <translation>ROI</translation>
    </message>
    <message>
        <source>N.ROI</source>
        <translation>規格化 ROI</translation>
    </message>
    <message>
        <source>Sum Up</source>
        <translation>積算</translation>
    </message>
    <message>
        <source>Exec. Sum Up</source>
        <translation>積算を実行</translation>
    </message>
    <message>
        <source>Process Maps</source>
        <translation>マップ処理</translation>
    </message>
    <message>
        <source>Select Map 1</source>
        <translation>マップ1を選択</translation>
    </message>
    <message>
        <source>Select Map 2</source>
        <translation>マップ2を選択</translation>
    </message>
    <message>
        <source>Capture</source>
        <translation>取り込み</translation>
    </message>
    <message>
        <source>Map1</source>
        <translation>マップ1</translation>
    </message>
    <message>
        <source>Map2</source>
        <translation>マップ2</translation>
    </message>
    <message>
        <source>Processed</source>
        <translation>処理結果</translation>
    </message>
    <message>
        <source>Sub.</source>
        <translation>差</translation>
    </message>
    <message>
        <source>Div.</source>
        <translation>商</translation>
    </message>
    <message>
        <source>Mask</source>
        <translation>マスク</translation>
    </message>
    <message>
        <source>Process</source>
        <translation>処理</translation>
    </message>
    <message>
        <source>Element Analysis is not chosen</source>
        <translation>元素解析が選ばれていません</translation>
    </message>
    <message>
        <source>there are no element rows</source>
        <translation>元素の行がありません</translation>
    </message>
    <message>
        <source>rows 0 to %1</source>
        <translation>行 0 から %1</translation>
    </message>
    <message>
        <source>no element row is named or numbered &quot;%1&quot; (%2); nothing is changed</source>
        <translation>名前または番号が「%1」の元素の行はありません (%2)。何も変更しません</translation>
    </message>
    <message>
        <source>no element row is named &quot;%1&quot; (%2); nothing is changed</source>
        <translation>名前が「%1」の元素の行はありません (%2)。何も変更しません</translation>
    </message>
    <message>
        <source>no element row is named &quot;%1&quot;; row 0 (%2) is taken, as the name reads as 0</source>
        <translation>名前が「%1」の元素の行はありません。名前は 0 と読まれるため、行 0 (%2) を使います</translation>
    </message>
    <message>
        <source>there are no element rows; nothing is changed</source>
        <translation>元素の行がありません。何も変更しません</translation>
    </message>
    <message>
        <source>an area run uses the element rows; they are not rebuilt</source>
        <translation>領域解析が元素の行を使用中のため、行を作り直しません</translation>
    </message>
    <message>
        <source>no element &quot;%1&quot; is known; no row is made for &quot;%2&quot;</source>
        <translation>元素「%1」は不明です。「%2」の行は作りません</translation>
    </message>
    <message>
        <source>more than %1 element rows asked for; the rest from &quot;%2&quot; on are left out</source>
        <translation>%1 を超える元素の行が指定されました。「%2」以降は省きます</translation>
    </message>
    <message>
        <source>there is no reference row %1 (rows 0 to %2); nothing is changed</source>
        <translation>参照の行 %1 はありません (行 0 から %2)。何も変更しません</translation>
    </message>
    <message>
        <source>no image has the number %1; the choice stays</source>
        <translation>番号 %1 の画像はありません。選択はそのままです</translation>
    </message>
</context>
<context>
    <name>Analyzer2</name>
    <message>
        <source>Analyzer2</source>
        <translation>Analyzer2</translation>
    </message>
    <message>
        <source>Collect Q Info</source>
        <translation>Q 情報の収集</translation>
    </message>
    <message>
        <source>Th</source>
        <translation>閾値</translation>
    </message>
    <message>
        <source>Dark Check</source>
        <translation>暗点チェック</translation>
    </message>
    <message>
        <source>Histg. Max.</source>
        <translation>ヒストグラム上限</translation>
    </message>
    <message>
        <source>Bins</source>
        <translation>ビン数</translation>
    </message>
    <message>
        <source>Use Err Points Mask</source>
        <translation>不良画素マスクを使用</translation>
    </message>
</context>
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
    <message>
        <source>[older lines of the log were dropped]</source>
        <translation>[古いログ行は削除されました]</translation>
    </message>
    <message>
        <source>[%1 texts of the batch run are left out here: the log could not keep up]
</source>
        <translation>[ログの表示が追いつかなかったため、バッチ実行のテキスト %1 件をここで省略しました]
</translation>
    </message>
</context>
<context>
    <name>BatchDispatcher</name>
    <message>
        <source>Loop %1 has run %2 passes without a command; further passes are not logged
</source>
        <translation>ループ %1 はコマンドなしで %2 回繰り返しました。以降の繰り返しはログに記録しません
</translation>
    </message>
    <message>
        <source>Batch stopped: loop %1 ran %2 passes without a command
</source>
        <translation>バッチ停止: ループ %1 がコマンドなしで %2 回繰り返しました
</translation>
    </message>
    <message>
        <source>Batch stopped: loop %1 ran %2 s without a command
</source>
        <translation>バッチ停止: ループ %1 がコマンドなしで %2 秒間繰り返しました
</translation>
    </message>
    <message>
        <source>Err: arguments of %1 on line %2 grow past %3 characters when expanded; not run
</source>
        <translation>Err: %2 行目の %1 の引数は展開すると %3 文字を超えるため実行しません
</translation>
    </message>
    <message>
        <source> [%1 more characters of this text are not shown]
</source>
        <translation> [このテキストの残り %1 文字は表示されません]
</translation>
    </message>
</context>
<context>
    <name>AreaEngine</name>
    <message>
        <source>not enough memory</source>
        <translation>メモリ不足</translation>
    </message>
</context>
<context>
    <name>Body</name>
    <message>
        <source>Calibration stopped; the energy-shift map is unfinished, %1 of %2 blocks done</source>
        <translation>校正を停止しました。エネルギーシフトマップは未完成です (%2 ブロック中 %1 ブロック完了)</translation>
    </message>
    <message>
        <source>The energy-shift map saved to %1 is unfinished: %2 of %3 blocks done</source>
        <translation>%1 に保存したエネルギーシフトマップは未完成です: %3 ブロック中 %2 ブロック完了</translation>
    </message>
    <message>
        <source>Stopped; the element maps are unfinished, %1 of %2 blocks done</source>
        <translation>停止しました。元素マップは未完成です (%2 ブロック中 %1 ブロック完了)</translation>
    </message>
    <message>
        <source>Stopped; the reference-fit maps are unfinished, %1 of %2 blocks done</source>
        <translation>停止しました。参照フィットのマップは未完成です (%2 ブロック中 %1 ブロック完了)</translation>
    </message>
    <message>
        <source>No I1 image is loaded</source>
        <translation>I1 画像が読み込まれていません</translation>
    </message>
    <message>
        <source>The analysis area lies outside the image</source>
        <translation>解析領域が画像の外にあります</translation>
    </message>
    <message>
        <source>The run did not start: %1</source>
        <translation>実行は始まりませんでした: %1</translation>
    </message>
    <message>
        <source>the suggested %1 is %2, not a finite number</source>
        <translation>推奨値の%1が %2 で、有限の数ではありません</translation>
    </message>
    <message>
        <source>edge energy</source>
        <translation>吸収端エネルギー</translation>
    </message>
    <message>
        <source>pre-edge end</source>
        <translation>前吸収端領域の終点</translation>
    </message>
    <message>
        <source>post-edge start</source>
        <translation>後吸収端領域の始点</translation>
    </message>
    <message>
        <source>jump threshold</source>
        <translation>ジャンプのしきい値</translation>
    </message>
    <message>
        <source>the %1 needs a finite range and positive steps (range %2, step %3, min. step %4)</source>
        <translation>%1には有限の範囲と正のステップが必要です (範囲 %2、ステップ %3、最小ステップ %4)</translation>
    </message>
    <message>
        <source>edge search</source>
        <translation>吸収端の探索</translation>
    </message>
    <message>
        <source>inner-product search</source>
        <translation>内積による探索</translation>
    </message>
    <message>
        <source>the fit range %1 .. %2 eV is not finite</source>
        <translation>フィット範囲 %1 .. %2 eV が有限ではありません</translation>
    </message>
    <message>
        <source>the edge position is taken against the suggested edge energy %1 eV</source>
        <translation>吸収端位置の基準となる推奨吸収端エネルギーが %1 eV です</translation>
    </message>
    <message>
        <source>the standard&apos;s edge position is %1</source>
        <translation>標準スペクトルの吸収端位置が %1 です</translation>
    </message>
    <message>
        <source>No map shown: choose one in the Analyzer.</source>
        <translation>マップ未表示: 解析ウィンドウで選んでください</translation>
    </message>
    <message>
        <source>The map has no data yet: run its analysis.</source>
        <translation>マップにデータなし: 先に解析してください</translation>
    </message>
    <message>
        <source>No energy-shift map: calibrate or load one.</source>
        <translation>シフトマップなし: 校正か読み込みをしてください</translation>
    </message>
    <message>
        <source>No image shown: load the data first.</source>
        <translation>画像未表示: 先にデータを読み込んでください</translation>
    </message>
    <message>
        <source>No image shown: choose one with the slider.</source>
        <translation>画像未表示: スライダーで画像を選んでください</translation>
    </message>
    <message>
        <source>View is off the image: press Reset Scale.</source>
        <translation>画像が範囲外: 表示範囲リセットを押してください</translation>
    </message>
    <message>
        <source>No box centre lies on the image: use smaller boxes or another area.</source>
        <translation>画像上にボックス中心なし: ボックスを小さくするか領域を変えてください</translation>
    </message>
    <message>
        <source>The area reaches far past the image: select an area on it.</source>
        <translation>領域が画像から大きくはみ出しています: 画像上の領域を選んでください</translation>
    </message>
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
    <message>
        <source>Set All</source>
        <translation>全体に適用</translation>
    </message>
    <message>
        <source>No.</source>
        <translation>番号</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>拡大</translation>
    </message>
    <message>
        <source>Reset Scale</source>
        <translation>表示範囲リセット</translation>
    </message>
    <message>
        <source>Pos.</source>
        <translation>位置</translation>
    </message>
    <message>
        <source>Val.</source>
        <translation>値</translation>
    </message>
    <message>
        <source>Dark</source>
        <translation>ダーク</translation>
    </message>
    <message>
        <source>E-Shift (Map)</source>
        <translation>E シフト (マップ)</translation>
    </message>
    <message>
        <source>E-Shift (Std.)</source>
        <translation>E シフト (標準)</translation>
    </message>
    <message>
        <source>Selected Area</source>
        <translation>選択領域</translation>
    </message>
    <message>
        <source>Data</source>
        <translation>データ</translation>
    </message>
    <message>
        <source>I0</source>
        <translation>I0</translation>
    </message>
    <message>
        <source>Eng. Shift</source>
        <translation>エネルギーシフト</translation>
    </message>
    <message>
        <source>Res. Analysis</source>
        <translation>解析結果</translation>
    </message>
    <message>
        <source>Use</source>
        <translation>使用</translation>
    </message>
    <message>
        <source>Take I0 from the I0 images</source>
        <translation>I0 を I0 画像から取る</translation>
    </message>
    <message>
        <source>Total I0 of I1</source>
        <translation>I1 の全 I0</translation>
    </message>
    <message>
        <source>Total I0 of I0</source>
        <translation>I0 の全 I0</translation>
    </message>
    <message>
        <source>Fluo. Type</source>
        <translation>蛍光法</translation>
    </message>
    <message>
        <source>xw</source>
        <translation>xw</translation>
    </message>
    <message>
        <source>yw</source>
        <translation>yw</translation>
    </message>
    <message>
        <source>Dark Data</source>
        <translation>ダークデータ</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>クリア</translation>
    </message>
    <message>
        <source>%1: not enough memory, the command failed</source>
        <translation>%1: メモリが足りず、コマンドは失敗しました</translation>
    </message>
    <message>
        <source>Not enough memory: the work under way failed</source>
        <translation>メモリ不足: 実行中の処理は失敗しました</translation>
    </message>
    <message>
        <source>Not enough memory: the run ended early, its maps lack the rest</source>
        <translation>メモリ不足: 実行は途中で終わり、マップには残りがありません</translation>
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
        <source>BG Data</source>
        <translation>BG データ</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>表示</translation>
    </message>
    <message>
        <source>Suggest Elm.</source>
        <translation>元素を指定</translation>
    </message>
    <message>
        <source>[eV]</source>
        <translation>[eV]</translation>
    </message>
    <message>
        <source>End of the pre-edge region, relative to the edge</source>
        <translation>吸収端からの前吸収端領域の終点</translation>
    </message>
    <message>
        <source>Start of the post-edge region, relative to the edge</source>
        <translation>吸収端からの後吸収端領域の始点</translation>
    </message>
    <message>
        <source>Th. Jmp.</source>
        <translation>ジャンプ閾値</translation>
    </message>
    <message>
        <source>sgm.</source>
        <translation>σ</translation>
    </message>
    <message>
        <source>Save Data</source>
        <translation>データ保存</translation>
    </message>
    <message>
        <source>Save Image</source>
        <translation>画像保存</translation>
    </message>
    <message>
        <source>Cfg.</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>Save Flat Dark</source>
        <translation>フラット・ダーク保存</translation>
    </message>
    <message>
        <source>Save Proc. Data</source>
        <translation>処理データ保存</translation>
    </message>
    <message>
        <source>Save Each Spectrum</source>
        <translation>各点のスペクトル保存</translation>
    </message>
    <message>
        <source>Raw</source>
        <translation>生データ</translation>
    </message>
    <message>
        <source>Raw XAFS</source>
        <translation>生 XAFS</translation>
    </message>
    <message>
        <source>Normalized XAFS</source>
        <translation>規格化 XAFS</translation>
    </message>
    <message>
        <source>DeGlitch</source>
        <translation>グリッチ除去</translation>
    </message>
    <message>
        <source>de Glitch</source>
        <translation>グリッチ除去</translation>
    </message>
    <message>
        <source>Deglitch Selected Map</source>
        <translation>選択中のマップのグリッチ除去</translation>
    </message>
    <message>
        <source>Factor</source>
        <translation>係数</translation>
    </message>
    <message>
        <source>Ratio</source>
        <translation>比率</translation>
    </message>
    <message>
        <source>NES</source>
        <translation>NES</translation>
    </message>
    <message>
        <source>Deglitch E-Shift Map</source>
        <translation>E シフトマップのグリッチ除去</translation>
    </message>
    <message>
        <source>Extra</source>
        <translation>その他</translation>
    </message>
    <message>
        <source>Exec F.A.</source>
        <translation>フーリエ解析実行</translation>
    </message>
    <message>
        <source>Chk Vals</source>
        <translation>値を確認</translation>
    </message>
    <message>
        <source>Show Analyzer</source>
        <translation>解析ウィンドウ表示</translation>
    </message>
    <message>
        <source>Show Analyser2</source>
        <translation>Analyser2 表示</translation>
    </message>
    <message>
        <source>Show Cali. Ctrl.</source>
        <translation>較正ウィンドウ表示</translation>
    </message>
    <message>
        <source>Show Img. Proc.</source>
        <translation>画像処理表示</translation>
    </message>
    <message>
        <source>Show Spectrum</source>
        <translation>スペクトル表示</translation>
    </message>
    <message>
        <source>I1 Data</source>
        <translation>I1データ</translation>
    </message>
    <message>
        <source>I0 Data</source>
        <translation>I0データ</translation>
    </message>
    <message>
        <source>Spectrum at the position</source>
        <translation>その位置のスペクトル</translation>
    </message>
    <message>
        <source>BG File</source>
        <translation>BGファイル</translation>
    </message>
    <message>
        <source>BG Specturm</source>
        <translation>BGスペクトル</translation>
    </message>
    <message>
        <source>Tiff File (*.tif)</source>
        <translation>TIFFファイル (*.tif)</translation>
    </message>
    <message>
        <source>Data File (*.dat)</source>
        <translation>データファイル (*.dat)</translation>
    </message>
    <message>
        <source>Any Files (* *.*)</source>
        <translation>すべてのファイル (* *.*)</translation>
    </message>
    <message>
        <source>RVKT Files, IMG Files, Tiff Files (*.dat *.img *.tif *.tiff)</source>
        <translation>RVKT ファイル、IMG ファイル、Tiff ファイル (*.dat *.img *.tif *.tiff)</translation>
    </message>
    <message>
        <source>Image File (*.png)</source>
        <translation>画像ファイル (*.png)</translation>
    </message>
    <message>
        <source>XAFS Spectra (*.dat)</source>
        <translation>XAFS スペクトル (*.dat)</translation>
    </message>
    <message>
        <source>Row %1 had no part in the fit: give it a reference and run again.</source>
        <translation>行 %1 はフィットに使われていません: 参照を与えて再実行してください</translation>
    </message>
    <message>
        <source>no analysis chosen</source>
        <translation>解析が選ばれていない</translation>
    </message>
    <message>
        <source>Element Analysis not chosen</source>
        <translation>元素解析が選ばれていない</translation>
    </message>
    <message>
        <source>element analysis gave no values</source>
        <translation>元素解析の値が得られない</translation>
    </message>
    <message>
        <source>element rows changed during the run</source>
        <translation>実行中に元素の行が変わった</translation>
    </message>
    <message>
        <source>value not finite</source>
        <translation>値が有限でない</translation>
    </message>
    <message>
        <source>shift not finite</source>
        <translation>シフトが有限でない</translation>
    </message>
    <message>
        <source>no image type %1</source>
        <translation>画像の種類 %1 はありません</translation>
    </message>
    <message>
        <source>%1 is no image of the shown stack of %2 images; the image shown stays</source>
        <translation>%1 は表示中の %2 枚の画像のどれでもありません。表示中の画像はそのままです</translation>
    </message>
    <message>
        <source>%1 stack: %2 of %3 images were left out (memory)</source>
        <translation>%1 スタック: %3 枚の画像のうち %2 枚を読み込みませんでした (メモリ不足)</translation>
    </message>
    <message>
        <source>no reference spectrum was read from &quot;%1&quot;; row %2 holds none</source>
        <translation>「%1」から参照スペクトルを読めませんでした。行 %2 にはスペクトルがありません</translation>
    </message>
    <message>
        <source>no standard spectrum was read from &quot;%1&quot;; the former one is kept</source>
        <translation>「%1」から標準スペクトルを読めませんでした。以前の標準を残します</translation>
    </message>
    <message>
        <source>Whole view</source>
        <translation>表示範囲全体</translation>
    </message>
</context>
<context>
    <name>CalibCtrl</name>
    <message>
        <source>Calibration</source>
        <translation>較正</translation>
    </message>
    <message>
        <source>dMidx</source>
        <translation>dMidx</translation>
    </message>
    <message>
        <source>inner P.</source>
        <translation>内積</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Calibrate by checking the difference of dMidx, which is a point defined as a cross point of a spectrum and mean value of pre- and post-edge lines.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;dMidx（スペクトルとプリエッジ線・ポストエッジ線の平均値との交点）の差を調べて較正します。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Calibrate by checking normalized inner products of the spectrum at the point and the standard spectrum. &lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;その点のスペクトルと標準スペクトルの規格化内積を調べて較正します。 &lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Initial E-range</source>
        <translation>初期E範囲</translation>
    </message>
    <message>
        <source>E-step</source>
        <translation>Eステップ</translation>
    </message>
    <message>
        <source>Min. E-step</source>
        <translation>最小Eステップ</translation>
    </message>
    <message>
        <source>Calib. Conditions</source>
        <translation>較正条件</translation>
    </message>
    <message>
        <source>Exec Calib.</source>
        <translation>較正実行</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>Clear Map</source>
        <translation>マップクリア</translation>
    </message>
    <message>
        <source>Simple</source>
        <translation>シンプル</translation>
    </message>
    <message>
        <source>Victreen</source>
        <translation>ビクトリーン</translation>
    </message>
    <message>
        <source>Statistic &amp; Properties</source>
        <translation>統計と属性</translation>
    </message>
    <message>
        <source>Max.</source>
        <translation>最大</translation>
    </message>
    <message>
        <source>Avr.</source>
        <translation>平均</translation>
    </message>
    <message>
        <source>Delta Energy DMin.</source>
        <translation>エネルギー差 最小</translation>
    </message>
    <message>
        <source>sigma</source>
        <translation>σ</translation>
    </message>
    <message>
        <source>X Offset</source>
        <translation>Xオフセット</translation>
    </message>
    <message>
        <source>Y Offset</source>
        <translation>Yオフセット</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>幅</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>高さ</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>読込</translation>
    </message>
    <message>
        <source>Chk. Size</source>
        <translation>サイズ確認</translation>
    </message>
    <message>
        <source>Select Std.</source>
        <translation>標準選択</translation>
    </message>
    <message>
        <source>Target :</source>
        <translation>対象 :</translation>
    </message>
    <message>
        <source>Std. :</source>
        <translation>標準 :</translation>
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
    <message>
        <source>no energy reference was read from &quot;%1&quot;; with no list, image i takes %2 + i eV</source>
        <translation>「%1」からエネルギー参照を読めませんでした。リストがないため、画像 i は %2 + i eV になります</translation>
    </message>
    <message>
        <source>no energy reference was read from &quot;%1&quot;; the images keep the energies of the list read before</source>
        <translation>「%1」からエネルギー参照を読めませんでした。画像は以前に読んだリストのエネルギーのままです</translation>
    </message>
</context>
<context>
    <name>EShiftMapDialog</name>
    <message>
        <source>Energy Shift Map File (*.emp)</source>
        <translation>エネルギーシフトマップファイル (*.emp)</translation>
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
    <message>
        <source>Target</source>
        <translation>対象</translation>
    </message>
    <message>
        <source>Pre/Post dE</source>
        <translation>前後 dE</translation>
    </message>
    <message>
        <source>[eV] Th</source>
        <translation>[eV] 閾値</translation>
    </message>
    <message>
        <source>dmut</source>
        <translation>dmut</translation>
    </message>
    <message>
        <source>Ratio</source>
        <translation>比率</translation>
    </message>
    <message>
        <source>dE</source>
        <translation>dE</translation>
    </message>
    <message>
        <source>ROI</source>
        <translation>ROI</translation>
    </message>
    <message>
        <source>Th dmut</source>
        <translation>dmut 閾値</translation>
    </message>
    <message>
        <source>No Neg</source>
        <translation>負値なし</translation>
    </message>
    <message>
        <source>Std. Ratio</source>
        <translation>標準比率</translation>
    </message>
    <message>
        <source>Use</source>
        <translation>使用</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>表示</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;dmut is calculated as mu(E0+dE) - mu(E0-dE).&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;dmut は mu(E0+dE) - mu(E0-dE) として計算されます。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Relative strength of the dmut against the dmut of selecte element as Target.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;対象として選択した元素の dmut に対する dmut の相対強度。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Position of the absorption edge, where the mut is ( mu(E0+dE) + mu(E0-dE) ) / 2.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;吸収端の位置。mut が ( mu(E0+dE) + mu(E0-dE) ) / 2 となる位置です。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Start position of the ROI.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI の開始位置。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;End position of the ROI.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI の終了位置。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Threshold value of the dmut.&lt;/p&gt;&lt;p&gt;When the dmut is less than the Threshold, most of the values (ROI, dmut,...) is set at BG Val.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;dmut の閾値。&lt;/p&gt;&lt;p&gt;dmut が閾値未満のとき、ほとんどの値 (ROI, dmut など) はバックグラウンド値になります。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;When the ROI is negative, the BG value is used instead of the calculated one.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI が負のときは、計算値の代わりにバックグラウンド値を使います。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI Value&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI 値&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Normalized ROI value calculated as ROI / dmut.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;ROI / dmut として計算した規格化 ROI 値。&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
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
    <name>ImgProc</name>
    <message>
        <source>Image Processor</source>
        <translation>画像処理</translation>
    </message>
    <message>
        <source>Comp.</source>
        <translation>比較</translation>
    </message>
    <message>
        <source>S.P.</source>
        <translation>相関</translation>
    </message>
    <message>
        <source>Shift X:</source>
        <translation>シフト X:</translation>
    </message>
    <message>
        <source>Y:</source>
        <translation>Y:</translation>
    </message>
    <message>
        <source>Edge Detect</source>
        <translation>エッジ検出</translation>
    </message>
    <message>
        <source>Binary</source>
        <translation>二値化</translation>
    </message>
    <message>
        <source>Th.</source>
        <translation>閾値</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>最小</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>最大</translation>
    </message>
    <message>
        <source>Set Ref.</source>
        <translation>参照に設定</translation>
    </message>
    <message>
        <source>Auto Shift</source>
        <translation>自動シフト</translation>
    </message>
    <message>
        <source>Set Shift</source>
        <translation>シフト設定</translation>
    </message>
    <message>
        <source>A. A. Shift</source>
        <translation>常に自動シフト</translation>
    </message>
    <message>
        <source>A. Set Shift</source>
        <translation>自動シフト設定</translation>
    </message>
    <message>
        <source>Clear All Shifts</source>
        <translation>全シフトをクリア</translation>
    </message>
</context>
<context>
    <name>LCFReference</name>
    <message>
        <source>LCFReference</source>
        <translation>LCF参照</translation>
    </message>
    <message>
        <source>  dE [eV]</source>
        <translation>  dE [eV]</translation>
    </message>
    <message>
        <source>dMut</source>
        <translation>dMut</translation>
    </message>
    <message>
        <source>at</source>
        <translation>位置</translation>
    </message>
    <message>
        <source>[eV]  </source>
        <translation>[eV]  </translation>
    </message>
    <message>
        <source>Victreen</source>
        <translation>ビクトリーン</translation>
    </message>
    <message>
        <source>[%]  </source>
        <translation>[%]  </translation>
    </message>
    <message>
        <source>mut</source>
        <translation>mut</translation>
    </message>
</context>
<context>
    <name>RunFailures</name>
    <message>
        <source>%1 of %2 boxes had no fit: %3</source>
        <translation>%2 個中 %1 個のボックスでフィットなし: %3</translation>
    </message>
    <message>
        <source>box off the image</source>
        <translation>ボックスが画像の外</translation>
    </message>
    <message>
        <source>spectrum without points</source>
        <translation>スペクトルに点がない</translation>
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
    <name>SpectrumFit</name>
    <message>
        <source>singular system</source>
        <translation>特異な連立方程式</translation>
    </message>
    <message>
        <source>fit result not finite</source>
        <translation>フィット結果が有限でない</translation>
    </message>
    <message>
        <source>residual not finite</source>
        <translation>残差が有限でない</translation>
    </message>
    <message>
        <source>sample without points</source>
        <translation>試料に点がない</translation>
    </message>
    <message>
        <source>fewer than two reference rows</source>
        <translation>参照の行が 2 行未満</translation>
    </message>
    <message>
        <source>reference rows changed</source>
        <translation>参照の行が変わった</translation>
    </message>
    <message>
        <source>MLCF coefficients not positive</source>
        <translation>MLCF 係数の和が正でない</translation>
    </message>
    <message>
        <source>edge position not finite</source>
        <translation>吸収端位置が有限でない</translation>
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
    <name>SumUpCtrl</name>
    <message>
        <source>Sum Up Control</source>
        <translation>積算の設定</translation>
    </message>
    <message>
        <source>Sum Up Img No. From:</source>
        <translation>積算する画像番号 開始:</translation>
    </message>
    <message>
        <source>To:</source>
        <translation>終了:</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>追加</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>削除</translation>
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
    <message>
        <source>Out of Range midx</source>
        <translation>midx が範囲外</translation>
    </message>
    <message>
        <source>Noizy to decide midx</source>
        <translation>ノイズが多く midx を決められない</translation>
    </message>
    <message>
        <source>dMut = %1, Edge %2 [eV] : %3 %4</source>
        <translation>dMut = %1, 吸収端 %2 [eV] : %3 %4</translation>
    </message>
</context>
</TS>
